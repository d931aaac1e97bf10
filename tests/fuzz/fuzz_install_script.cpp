// Fuzzes the readers of setup.dat: the install worker's dispatch with every
// action replaced by a fake, the main page's scan, the container check and
// the previous-install lookup, all over the same arbitrary script.
#include <cstdint>
#include <string>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "script/install_loop.h"
#include "script/optional_items.h"
#include "script/setup_script.h"
#include "tests/fuzz/fuzz_files.h"
#include "ui/main_page_scan.h"
#include "tests/support_lib/lent_session.h"

namespace {

class NullActions : public script::InstallActions {
  public:
    void InstallFile(const char*, char* target, bool* abort) override { *abort = target[0] == '!'; }
    void RegisterAppPath(const char*) override {}
    void WriteRegistryItem(script::RegistryItem* item) override {
        script::RegistryNumber(item->data);
    }
    void CreateShortcut(const char*, const char*, const char*) override {}
    void LaunchFile(const char*, const char*, bool) override {}
    void ShowMessage(char* text, const char*) override { script::UnescapeMessageText(text); }
    void WriteUninstallRecord() override {}
    void RegisterQueuedDlls() override {}
};

bool ResolveNothing(const char* link, char* target) {
    target[0] = '\0';
    return link[0] == 'x';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    fuzzing::SilenceMessages();
    std::string path = fuzzing::WriteInput("setup.dat", data, size);
    NullActions actions;
    testing_support::LentSession session;
    script::RunInstallScript(path.c_str(), size % 2 == 0, actions);
    script::ReleaseOptionalItems();
    char install_to[support::kMaxPath];
    ui::ScanMainPageScript(path.c_str(), &ResolveNothing, install_to);
    script::ScriptHasHead(path.c_str(), script::kInstallContainerHead);
    return 0;
}
