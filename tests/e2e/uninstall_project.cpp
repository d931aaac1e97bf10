#include "tests/e2e/uninstall_project.h"

#include <shlobj.h>

#include "tests/support_lib/scratch.h"

namespace e2e {

namespace {

const char kUninstallKeys[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace

std::string TinyBitmap() {
    // File header, BITMAPINFOHEADER, one pixel padded to four bytes.
    const unsigned char bytes[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54,   0,    0, 0,  40,
                                   0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,    1,    0, 24, 0,
                                   0,   0,   0,  0, 4, 0, 0, 0, 0, 0, 0,    0,    0, 0,  0,
                                   0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

InstalledProject::InstalledProject(const std::string& name, const std::string& folder)
    : name_("E2E Uninstall " + name),
      folder_(folder.empty() ? "C:\\VornakE2E\\" + name_ : folder),
      package_(scratch_.PathOf("setup.exe")) {}

InstalledProject::~InstalledProject() {
    CleanUp();
}

std::string InstalledProject::UninstallKey() const {
    return kUninstallKeys + name_;
}

std::string InstalledProject::RecordPath() const {
    return SystemFolder() + "VornakUninstall-" + name_ + ".dat";
}

std::string InstalledProject::BannerPath() const {
    return SystemFolder() + "VornakUninstall-" + name_ + ".bmp";
}

void InstalledProject::Build(const std::string& body, const std::vector<PackageFile>& files) {
    std::string script =
        Script({"[Project Name]", name_.c_str(), "", "[Install To]", folder_.c_str(), ""}) + body;
    std::vector<PackageFile> all = {{"setup.dat", script}, {"setup.bmp", TinyBitmap()}};
    all.insert(all.end(), files.begin(), files.end());
    ASSERT_TRUE(BuildPackage(package_, all));
}

void InstalledProject::InstallSilently() {
    RunningProgram installer(InstallCommand() + " <Silent>");
    ASSERT_TRUE(installer.WaitForExit(30000));
    EXPECT_EQ(0u, installer.ExitCode());
    ASSERT_TRUE(FileExists(RecordPath()));
}

std::string InstalledProject::UninstallCommand(const char* value) const {
    return ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey(), value);
}

HWND InstalledProject::ConfirmUninstall(RunningProgram& uninstaller) const {
    HWND question = uninstaller.WaitForMessageBox("Uninstall");
    if (question == nullptr || MessageBoxText(question) != "Uninstall " + name_ + "?") {
        ADD_FAILURE() << "no question";
        return nullptr;
    }
    Click(question, IDYES);
    if (!WaitUntil([&] { return !IsWindow(question); })) {
        return nullptr;
    }
    return uninstaller.WaitForMessageBox("Uninstall", 30000);
}

void InstalledProject::CleanUp() {
    RemoveTree(folder_);
    std::string key = UninstallKey();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    DeleteFileA(RecordPath().c_str());
    DeleteFileA(BannerPath().c_str());
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string StartProgramsFolder() {
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAMS, FALSE);
    return std::string(folder) + "\\";
}

std::string Lower(std::string text) {
    if (!text.empty()) {
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

std::string PendingRenameText() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return "";
    }
    DWORD size = 0;
    RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size);
    std::string data(size, '\0');
    if (size == 0 || RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS) {
        data.clear();
    }
    RegCloseKey(key);
    return Lower(data);
}

}  // namespace e2e
