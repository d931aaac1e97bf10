// Self-registration through the libraries' own exports.
#include "actions/self_registration.h"

#include <windows.h>

#include "session/install_session.h"
#include "actions/file_install.h"
#include "actions/file_version.h"
#include "actions/install_worker.h"
#include "support/message_box.h"
#include "support/run_log.h"
#include "support/system_libraries.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace actions {

void QueueSelfRegistration(const char* path) {
    if (DeclaresSelfRegistration(path)) {
        SelfRegisterList.AppendCopy(path);
    }
}

namespace {

// A component that did not register is as good as missing: the install is
// a failure, said in a box (unattended: in the log), and always in the exit
// code.
void ReportRegistrationFailure(const char* path) {
    session::Current().install_failed = true;
    char text[support::kMaxPath + 64];
    support::FormatText(text, sizeof text, "Unable to register '%s'.", path);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

}  // namespace

void RegisterQueuedDlls() {
    for (int32_t i = 0; i < SelfRegisterList.Count(); ++i) {
        ServerExportResult result = CallServerExport(SelfRegisterList.At(i), "DllRegisterServer");
        if (result == ServerExportResult::kFailed) {
            ReportRegistrationFailure(SelfRegisterList.At(i));
        } else {
            support::LogLine("self-registration %s: %s",
                             result == ServerExportResult::kNotCalled ? "not called" : "done",
                             SelfRegisterList.At(i));
        }
    }
    SelfRegisterList.ClearAll();
}

ServerExportResult CallServerExport(const char* path, const char* export_name) {
    HMODULE module = support::LoadInstalledLibrary(path);
    if (module == nullptr) {
        return ServerExportResult::kNotCalled;
    }
    using ServerEntry = HRESULT(STDAPICALLTYPE*)();
    auto entry =
        reinterpret_cast<ServerEntry>(reinterpret_cast<void*>(GetProcAddress(module, export_name)));
    ServerExportResult result = ServerExportResult::kNotCalled;
    if (entry != nullptr) {
        result = SUCCEEDED(entry()) ? ServerExportResult::kSucceeded : ServerExportResult::kFailed;
    }
    FreeLibrary(module);
    return result;
}

}  // namespace actions
