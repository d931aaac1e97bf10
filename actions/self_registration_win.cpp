// Self-registration through the libraries' own exports.
#include "actions/self_registration.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>

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

namespace {

constexpr ALG_ID kSha256 = 0x0000800c;  // CALG_SHA_256, which older headers lack
constexpr DWORD kAesProvider = 24;      // PROV_RSA_AES
constexpr DWORD kDigestBytes = 32;

bool HashThroughHandle(HCRYPTHASH hash, HANDLE file) {
    static char piece[64 * 1024];  // only the install worker digests
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return false;
    }
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, piece, sizeof piece, &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (!CryptHashData(hash, reinterpret_cast<const BYTE*>(piece), got, 0)) {
            return false;
        }
    }
}

// A component that did not register is as good as missing: the install is
// a failure, said in a box (unattended: in the log), and always in the exit
// code.
void ReportRegistrationFailure(const char* format, const char* path) {
    session::Current().install_failed = true;
    char text[support::kMaxPath + 96];
    support::FormatText(text, sizeof text, format, path);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

// Opens path for reading only, sharing reading only: while the handle is
// open the file can be neither written nor replaced nor removed.
HANDLE HoldForReading(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void RegisterOne(const char* path, const char* digest) {
    HANDLE held = HoldForReading(path);
    if (held == nullptr) {
        return;  // a file that cannot be opened does not load either
    }
    char now[kDigestTextSize];
    DigestOpenFile(held, now);
    if (digest[0] != '\0' && std::strcmp(now, digest) != 0) {
        ReportRegistrationFailure(
            "'%s' was changed after it was installed, so it was not registered.", path);
        CloseHandle(held);
        return;
    }
    ServerExportResult result =
        CallServerExport(path, "DllRegisterServer", session::Current().per_user);
    if (result == ServerExportResult::kFailed) {
        ReportRegistrationFailure("Unable to register '%s'.", path);
    } else {
        support::LogLine("self-registration %s: %s",
                         result == ServerExportResult::kNotCalled ? "not called" : "done", path);
    }
    CloseHandle(held);
}

void Queue(const char* path, const char* digest) {
    SelfRegisterList.AppendCopy(path);
    SelfRegisterDigests.AppendCopy(digest);
}

}  // namespace

void DigestOpenFile(HANDLE file, char* digest) {
    digest[0] = '\0';
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, kAesProvider, CRYPT_VERIFYCONTEXT)) {
        return;
    }
    HCRYPTHASH hash = 0;
    BYTE bytes[kDigestBytes];
    DWORD length = sizeof bytes;
    if (CryptCreateHash(provider, kSha256, 0, 0, &hash) && HashThroughHandle(hash, file) &&
        CryptGetHashParam(hash, HP_HASHVAL, bytes, &length, 0) && length == sizeof bytes) {
        for (DWORD i = 0; i < length; ++i) {
            support::FormatText(digest + 2 * i, 3, "%02x", static_cast<unsigned>(bytes[i]));
        }
    }
    if (hash != 0) {
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
}

void QueueSelfRegistration(const char* path) {
    if (!DeclaresSelfRegistration(path)) {
        return;
    }
    char digest[kDigestTextSize] = "";
    if (HANDLE held = HoldForReading(path)) {
        DigestOpenFile(held, digest);
        CloseHandle(held);
    }
    Queue(path, digest);
}

void QueueInstalledLibrary(const char* path, HANDLE installed) {
    if (!DeclaresSelfRegistration(installed)) {
        return;
    }
    char digest[kDigestTextSize];
    DigestOpenFile(installed, digest);
    Queue(path, digest);
}

void RegisterQueuedDlls() {
    for (int32_t i = 0; i < SelfRegisterList.Count(); ++i) {
        RegisterOne(SelfRegisterList.At(i),
                    i < SelfRegisterDigests.Count() ? SelfRegisterDigests.At(i) : "");
    }
    ForgetQueuedLibraries();
}

void ForgetQueuedLibraries() {
    SelfRegisterList.ClearAll();
    SelfRegisterDigests.ClearAll();
}

namespace {

// With wanted, HKEY_CLASSES_ROOT of this process is
// HKEY_CURRENT_USER\Software\Classes for as long as this lives.
// Process-wide: it is set only around the one call, from the worker that
// makes the registrations.
class UserClassesAsRoot {
  public:
    explicit UserClassesAsRoot(bool wanted) {
        HKEY classes = nullptr;
        if (!wanted ||
            RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &classes, nullptr) != ERROR_SUCCESS) {
            return;
        }
        if (RegOverridePredefKey(HKEY_CLASSES_ROOT, classes) != ERROR_SUCCESS) {
            RegCloseKey(classes);
            return;
        }
        classes_ = classes;
    }
    ~UserClassesAsRoot() {
        if (classes_ != nullptr) {
            RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
            RegCloseKey(classes_);
        }
    }
    UserClassesAsRoot(const UserClassesAsRoot&) = delete;
    UserClassesAsRoot& operator=(const UserClassesAsRoot&) = delete;
    bool InPlace() const { return classes_ != nullptr; }

  private:
    HKEY classes_ = nullptr;
};

}  // namespace

ServerExportResult CallServerExport(const char* path, const char* export_name, bool per_user) {
    UserClassesAsRoot user_classes(per_user);
    if (per_user && !user_classes.InPlace()) {
        return ServerExportResult::kFailed;
    }
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
