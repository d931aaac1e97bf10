// Fuzzes the uninstall worker's reading of records: the input is split into
// our record and another project's (either may hold install notes), and
// every effect is a fake that checks the paths it is handed fit a path
// buffer.
#include <cstdint>
#include <cstring>
#include <string>

#include "script/setup_script.h"
#include "session/install_session.h"
#include "support/text.h"
#include "support/win32_values.h"
#include "tests/fuzz/fuzz_files.h"
#include "uninstall/uninstall_loop.h"
#include "tests/support_lib/lent_session.h"

namespace {

void CheckPath(const char* path) {
    if (::strnlen(path, support::kMaxPath) >= support::kMaxPath) {
        __builtin_trap();
    }
}

class CheckingEffects : public uninstall::UninstallActions {
  public:
    bool SamePath(const char* a, const char* b) override {
        return support::EqualsIgnoringCase(a, b);
    }
    void UnregisterSelfRegisteringFile(const char* path) override { CheckPath(path); }
    void RunUninstallAction(const char* path, const char* parameters) override {
        // Not paths to delete: they may use their whole line, 260 characters
        // that a record in the system's code page may turn into up to three
        // bytes each of program text.
        const size_t kLineBytes = script::LineCapacity(script::kValueLineLimit) - 1;
        if (std::strlen(path) > kLineBytes || std::strlen(parameters) > kLineBytes) {
            __builtin_trap();
        }
    }
    bool PathExists(const char* path) override {
        CheckPath(path);
        return path[0] != '\0' && path[std::strlen(path) - 1] != 'x';
    }
    bool DeleteFileAt(const char* path) override {
        CheckPath(path);
        return path[0] != '\0' && path[0] != 'C';
    }
    bool ScheduleDeleteAtRestart(const char* path) override {
        CheckPath(path);
        return true;
    }
    uint32_t SharedCount(const char* path) override {
        CheckPath(path);
        return path[0] == 'S' ? 2 : 0;
    }
    void ReleaseSharedCount(const char* path) override { CheckPath(path); }
    void RemoveAppPathsEntry(const char* path) override { CheckPath(path); }
    void RemoveFolder(const char* path) override {
        CheckPath(path);
        if (std::strlen(path) < 4) {
            __builtin_trap();  // never a drive root
        }
    }
    void DeleteUninstallKey(const char* project_name) override {
        if (project_name[0] == '\0') {
            __builtin_trap();
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    fuzzing::SilenceMessages();
    const uint8_t* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    size_t own_size = split != nullptr ? static_cast<size_t>(split - data) : size;
    std::string own = fuzzing::WriteInput("VornakUninstall-Fuzz.dat", data, own_size);
    size_t other_size = split != nullptr ? size - own_size - 1 : 0;
    fuzzing::WriteInput("VornakUninstall-Other.dat", data + own_size + (split != nullptr),
                        other_size);
    testing_support::LentSession session;
    support::CopyText(session->destination_folder, "C:\\Program Files\\Fuzz\\");
    CheckingEffects effects;
    uninstall::RunUninstallRecord(own.c_str(), "C:\\no.bmp", "Fuzz", effects);
    return 0;
}
