// Self-registration through the libraries' own exports.
#include "script/self_registration.h"

#include <windows.h>

#include "script/file_install.h"
#include "script/file_version.h"

namespace script {

void QueueSelfRegistration(const char* path) {
    if (DeclaresSelfRegistration(path)) {
        SelfRegisterList.AppendCopy(path);
    }
}

void RegisterQueuedDlls() {
    for (int32_t i = 0; i < SelfRegisterList.Count(); ++i) {
        CallServerExport(SelfRegisterList.At(i), "DllRegisterServer");
    }
    SelfRegisterList.ClearAll();
}

bool CallServerExport(const char* path, const char* export_name) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        return false;
    }
    using ServerEntry = HRESULT(STDAPICALLTYPE*)();
    auto entry =
        reinterpret_cast<ServerEntry>(reinterpret_cast<void*>(GetProcAddress(module, export_name)));
    if (entry != nullptr) {
        entry();
    }
    FreeLibrary(module);
    return entry != nullptr;
}

}  // namespace script
