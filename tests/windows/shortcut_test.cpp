// Shortcuts written through the shell and read back, both through the code
// under test and directly through IShellLinkA.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "actions/shortcut.h"
#include "support/text.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/lent_session.h"

using testing_support::FileExists;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

// The arguments stored in a shortcut file, read without the code under test.
std::string StoredArguments(const std::string& link_path) {
    std::string arguments = "<unreadable>";
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::wstring wide(link_path.begin(), link_path.end());
            char text[MAX_PATH] = "";
            if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetArguments(text, MAX_PATH))) {
                arguments = text;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return arguments;
}

class Shortcut : public ::testing::Test {
  protected:
    Shortcut() { support::CopyText(session_->destination_folder, scratch_.Folder().c_str()); }

    // Writes a shortcut as the install worker does: target, arguments, and
    // the arguments flag only. Returns the status.
    int32_t Create(const std::string& link, const std::string& target,
                   const std::string& arguments) {
        support::CopyText(link_, link.c_str());
        support::CopyText(target_, target.c_str());
        support::CopyText(arguments_, arguments.c_str());
        actions::ShortcutSpec spec = {};
        spec.target_path = target_;
        spec.arguments = arguments_;
        spec.flags = actions::kShortcutArguments;
        return actions::CreateShortcut(link_, spec);
    }
    std::string ReadTarget(const std::string& link, bool* loaded) {
        char target[support::kMaxPath] = "stale";
        *loaded = actions::ReadShortcutTarget(link.c_str(), target);
        return target;
    }

    Scratch scratch_;
    testing_support::LentSession session_;
    char link_[support::kMaxPath];
    char target_[support::kMaxPath];
    char arguments_[support::kMaxPath];
};

TEST_F(Shortcut, RoundTripCreatesTheFolderChainAndExpandsPlaceholders) {
    // The target does not exist yet, as when a shortcut precedes its file.
    HRESULT status = Create("<Destination>\\Menu\\Group\\App.lnk", "<Destination>\\bin\\app.exe",
                            "--data \"<Destination>data\"");
    EXPECT_TRUE(SUCCEEDED(status)) << std::hex << status;
    std::string link = scratch_.PathOf("Menu\\Group\\App.lnk");
    EXPECT_EQ(link, link_);
    ASSERT_TRUE(FileExists(link));
    EXPECT_EQ("--data \"" + scratch_.Folder() + "data\"", StoredArguments(link));

    bool loaded = false;
    EXPECT_EQ(scratch_.PathOf("bin\\app.exe"),
              ReadTarget("<Destination>\\Menu\\Group\\App.lnk", &loaded));
    EXPECT_TRUE(loaded);
}

TEST_F(Shortcut, EmptyArgumentsAreStoredEmpty) {
    EXPECT_TRUE(SUCCEEDED(Create(scratch_.PathOf("a.lnk"), "C:\\windows\\notepad.exe", "")));
    EXPECT_EQ("", StoredArguments(scratch_.PathOf("a.lnk")));
}

TEST_F(Shortcut, ExistingFileIsOverwritten) {
    std::string link = scratch_.PathOf("App.lnk");
    WriteAll(link, "not a shortcut at all");
    EXPECT_TRUE(SUCCEEDED(Create(link, scratch_.PathOf("new.exe"), "")));
    EXPECT_NE("not a shortcut at all", ReadAll(link));
    bool loaded = false;
    EXPECT_EQ(scratch_.PathOf("new.exe"), ReadTarget(link, &loaded));
}

TEST_F(Shortcut, MissingShortcutReadsAsFalseWithAnEmptyTarget) {
    bool loaded = true;
    EXPECT_EQ("", ReadTarget(scratch_.PathOf("nowhere\\App.lnk"), &loaded));
    EXPECT_FALSE(loaded);
}

TEST_F(Shortcut, UnreadableShortcutLoadsWithAnEmptyTarget) {
    std::string link = scratch_.PathOf("broken.lnk");
    WriteAll(link, "garbage");
    bool loaded = false;
    EXPECT_EQ("", ReadTarget(link, &loaded));
    EXPECT_TRUE(loaded);
}

}  // namespace
