// The 32-bit stub's own start-up, in place of the C runtime's.
//
// The runtime's start-up brings some 10 KB into every program: argument and
// environment tables, pseudo-relocation, TLS callbacks, floating-point and
// signal set-up, and their unwind tables. The stub needs none of that (it
// reads its command line with GetCommandLineA, uses no thread-local
// variables and imports no data from DLLs, which the link checks), only
// what C++ promises: static objects built before WinMain and destroyed, in
// reverse, after it. msvcrt.dll initialises itself when it loads, so its
// functions need nothing from here.
#include <windows.h>

// The linker's script lays out every static constructor between these: a
// -1 first, the constructors, then a 0.
extern "C" void (*__CTOR_LIST__[])();

namespace {

using ExitFunction = void (*)();

// The static objects of the stub register their destructors here through
// atexit; a dozen today.
constexpr int kExitCapacity = 64;
ExitFunction g_exit_functions[kExitCapacity];
int g_exit_count = 0;

void RunStaticConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) {
        ++count;
    }
    // Last first, as the compiler's own start-up does.
    for (int i = count; i >= 1; --i) {
        __CTOR_LIST__[i]();
    }
}

void RunExitFunctions() {
    while (g_exit_count > 0) {
        g_exit_functions[--g_exit_count]();
    }
}

}  // namespace

// Replaces the runtime's atexit for the stub. Registration happens while the
// constructors run, on one thread, before any other thread exists.
extern "C" int atexit(ExitFunction function) {
    if (g_exit_count == kExitCapacity) {
        return -1;
    }
    g_exit_functions[g_exit_count++] = function;
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);

// Windows calls this with a stack aligned to 4 bytes, where the compiler
// assumes 16 for the code below.
extern "C" __attribute__((force_align_arg_pointer)) void __cdecl StubEntry() {
    RunStaticConstructors();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), show);
    RunExitFunctions();
    ExitProcess(static_cast<UINT>(result));
}
