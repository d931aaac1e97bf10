// The stub's allocation operators, straight onto the C runtime's heap.
//
// The C++ library's own operator new throws std::bad_alloc when memory runs
// out, and linking it drags the whole exception machinery (unwinder, thread
// library, demangler) into the stub for an exception nothing here catches.
// These behave as the library's would end up behaving: a plain new that
// cannot be satisfied ends the program, as an uncaught bad_alloc does; the
// nothrow forms return null, and their callers check for it.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "session/install_session.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/win32_values.h"

namespace {

// abort() ended the process with 3, a code no deployment tool reads as a
// failed install. The run ends as a failure instead, told in a box unless
// nobody is there to answer one; nothing here allocates, and the box is
// shown only if the system still finds the memory for it. The process is
// ended at once, as abort() did: the other threads may be anywhere, holding
// anything, so no exit handler runs.
[[noreturn]] void EndForLackOfMemory() {
    if (!session::HasSilentMarker(GetCommandLineA())) {
        support::ShowMessage("There is not enough memory to go on. The program ends here.",
                             "Installer", support::kMbIconError | support::kMbTopmost);
    }
    TerminateProcess(GetCurrentProcess(), support::kExitFailed);
    ExitProcess(support::kExitFailed);  // not reached: TerminateProcess of the own process
                                        // does not return
}

void* Allocate(std::size_t size) noexcept {
    // A zero-byte request still gets a distinct pointer.
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateOrEnd(std::size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) {
        EndForLackOfMemory();
    }
    return block;
}

}  // namespace

// The tag the nothrow forms are called with. The library defines it in the
// object that also holds its new handler, whose data and unwind tables
// would otherwise come into the stub with it.
namespace std {
const nothrow_t nothrow{};
}

void* operator new(std::size_t size) {
    return AllocateOrEnd(size);
}

void* operator new[](std::size_t size) {
    return AllocateOrEnd(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
