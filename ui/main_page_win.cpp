// The main wizard page: proposes a folder (script, shortcut, earlier
// installation), lets the user change it, shows the space needed and free,
// and leads through the licence page when there is one.
#include "support/win32_values.h"
#include "ui/main_page.h"

#include <shlobj.h>

#include "ui/app_instance.h"
#include "ui/install_scope_question.h"
#include "session/install_session.h"
#include "session/install_job.h"
#include "ui/resource_ids.h"
#include "actions/install_worker.h"
#include "script/install_size.h"
#include "actions/shortcut.h"
#include "support/folders.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/licence_page.h"
#include "ui/main_page_scan.h"
#include "ui/page_common.h"
#include "ui/page_painting.h"
#include "uninstall/uninstall_record.h"

namespace ui {

namespace {

// The page ends with this to install. DialogBoxParamA reports a dialog that
// could not be made with -1, so -1 must not mean "install": a page that never
// appeared would otherwise install without asking.
constexpr INT_PTR kInstall = IDOK;
constexpr INT_PTR kFolderRefused = 2000;
constexpr INT_PTR kStartElevated = 2001;

// What the page's main button does; its caption only shows it.
enum class MainButton {
    kInstall,        // "Install >>"
    kNextToLicence,  // "Next >>": the licence page comes first
};

MainButton g_main_button = MainButton::kInstall;
char g_install_to_template[support::kMaxPath];
int64_t g_required_kilobytes = 0;
uint64_t g_free_megabytes = 0;

bool ResolveShortcut(const char* link_path, char* target) {
    return actions::ReadShortcutTarget(link_path, target);
}

// Free megabytes on the drive of the folder; kept when the drive cannot
// be asked (no drive letter, a network path).
void RefreshLocation(HWND page) {
    SetDlgItemTextA(page, IDC_LOCATION, session::Current().destination_folder);
    char root[] = "c:\\";
    root[0] = session::Current().destination_folder[0];
    DWORD sectors = 0;
    DWORD bytes_per_sector = 0;
    DWORD free_clusters = 0;
    DWORD clusters = 0;
    if (GetDiskFreeSpaceA(root, &sectors, &bytes_per_sector, &free_clusters, &clusters)) {
        uint64_t bytes = static_cast<uint64_t>(sectors) * bytes_per_sector * free_clusters;
        g_free_megabytes = bytes / 1024 / 1024;
    }
}

// Returns whether a [LocateInstall] shortcut gave the folder.
bool ScanScript() {
    char script_path[support::kMaxPath];
    JobFilePath("setup.dat", script_path);
    g_install_to_template[0] = '\0';
    return ScanMainPageScript(script_path, &ResolveShortcut, g_install_to_template);
}

// The space the files need, whoever the install is for: counted once.
void CountRequiredSpace() {
    char script_path[support::kMaxPath];
    JobFilePath("setup.dat", script_path);
    uint64_t bytes = 0;
    if (session::Current().job != nullptr) {
        bytes = script::CopyFileBytes(script_path, session::Current().job->Archive());
    }
    g_required_kilobytes = static_cast<int64_t>(bytes / 1024);
}

// The folder to propose: the script's (or a [LocateInstall] shortcut's),
// else an earlier installation's, and above both "<InstallTo>". Asked again
// when the page's choice of who the install is for changes where the
// program folder and the earlier installation's entry are.
void ProposeFolder(bool location_found) {
    if (!location_found) {
        uninstall::ReadPreviousInstallFolder();
    }
    const session::RunMarkers& markers = session::Current().Markers();
    if (markers.install_to) {
        support::CopyText(session::Current().destination_folder, markers.install_to_path);
    }
}

// The project name names the uninstall record's files in the system folder
// and its key under the Uninstall key; one that leads elsewhere would have
// this elevated program write there. Told before anything is changed (under
// "<Silent>" to the log only, where nothing is changed either).
bool RefuseUnfitProjectName() {
    if (uninstall::ProjectNameFitsRecord(session::Current().project_name)) {
        return false;
    }
    char text[support::kMaxPath + 200];
    support::FormatText(text, sizeof text,
                        "The project name \"%s\" holds \\, /, : or .., so its uninstall "
                        "record would not be in the system folder. Nothing was installed.",
                        session::Current().project_name);
    support::ShowMessage(text, "Installer", MB_ICONERROR);
    return true;
}

// Only a path that names one place wherever the program stands: a relative
// one would be completed with the current drive and folder, which the
// uninstaller could not find again.
bool LocationIsAbsolute() {
    if (support::IsAbsolutePath(session::Current().destination_folder)) {
        return true;
    }
    support::ShowMessage(
        "Please set a full install location, with its drive (C:\\Program Files\\App) or "
        "network share (\\\\server\\share\\App).",
        "Installer", MB_ICONINFORMATION);
    return false;
}

void ShowPictures(HWND page) {
    int dpi = WindowDpi(page);
    PageBitmap folder;
    folder.Load(nullptr, IDB_FOLDER, ui::AppInstance, true);
    folder.ScaleTo(dpi);
    folder.AssignTo(page, IDC_FOLDER_PICTURE);
    PageBitmap bullet;
    bullet.Load(nullptr, IDB_BULLET, ui::AppInstance, true);
    bullet.ScaleTo(dpi);
    bullet.AssignTo(page, IDC_FREE_BULLET);
    bullet.AssignTo(page, IDC_REQUIRED_BULLET);
    ShowBanner(page);
}

void SetMainButton(HWND page, MainButton button) {
    g_main_button = button;
    SetDlgItemTextA(page, IDOK, button == MainButton::kNextToLicence ? "Next >>" : "Install >>");
}

BOOL OnInitDialog(HWND page) {
    HICON icon = LoadIconA(ui::AppInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
    SetClassLongPtrA(page, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    char licence[support::kMaxPath];
    JobFilePath("setup.lic", licence);
    // Silent: straight on, past the licence page.
    bool licence_first = support::PathExists(licence) && !session::Current().Silent();
    SetMainButton(page, licence_first ? MainButton::kNextToLicence : MainButton::kInstall);
    SetPageTitle(page, "", " Installation");
    RefreshLocation(page);
    ShowPictures(page);
    ShowScopeChoice(page, session::Current());
    if (session::Current().Silent()) {
        PostMessageA(page, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

void OnChange(HWND page) {
    char display_name[support::kMaxPath];
    BROWSEINFOA browse = {};
    browse.hwndOwner = page;
    browse.pszDisplayName = display_name;
    browse.lpszTitle = "Select Installation Folder...";
    browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    LPITEMIDLIST items = SHBrowseForFolderA(&browse);
    if (items == nullptr) {
        return;
    }
    SHGetPathFromIDListA(items, session::Current().destination_folder);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        allocator->Free(items);
        allocator->Release();
    }
    AppendProductFolder(session::Current().destination_folder, g_install_to_template);
    RefreshLocation(page);
}

void OnInstall(HWND page) {
    GetDlgItemTextA(page, IDC_LOCATION, session::Current().destination_folder,
                    sizeof session::Current().destination_folder);
    bool valid = session::Current().destination_folder[0] != '\0';
    if (!valid) {
        support::ShowMessage("Please set a valid install location.", "Installer",
                             MB_ICONINFORMATION);
    }
    if (!valid || !LocationIsAbsolute()) {
        // Unattended, nobody will type another folder: the page would wait
        // for ever.
        if (session::Current().Silent()) {
            EndDialog(page, kFolderRefused);
        }
        return;
    }
    session::InstallSession& run_session = session::Current();
    if (run_session.scope_asked_on_page && run_session.per_user) {
        char script_path[support::kMaxPath];
        JobFilePath("setup.dat", script_path);
        if (RefuseMachineOnlyItem(script_path, run_session.project_name)) {
            return;
        }
    }
    if (run_session.scope_asked_on_page) {
        support::LogLine("installing for %s",
                         run_session.per_user ? "the current user" : "all users");
    }
    // The elevated run takes over from here, with this page's answers: the
    // licence is its to show.
    if (ScopeNeedsElevation(run_session)) {
        EndDialog(page, kStartElevated);
        return;
    }
    if (g_main_button == MainButton::kInstall || RunLicencePage(page)) {
        EndDialog(page, kInstall);
        return;
    }
    SetActiveWindow(page);
}

void OnPaint(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    int dpi = WindowDpi(page);
    PaintPageFrame(dc, PageFrame::kWithButtonRow, dpi);
    ShadowedText text(dpi);
    text.Paint(dc, 9, 292, "Vornak Installer");
    char line[400];
    support::CopyText(line, "Ready To Install ");
    support::AppendText(line, session::Current().project_name);
    text.Paint(dc, 10, 75, line);
    text.Paint(dc, 10, 131, "Install To :");
    FormatRequiredSpace(g_required_kilobytes, line, sizeof line);
    text.Paint(dc, 75, 195, line);
    support::FormatText(line, sizeof line, "%d MB Free Disk Space",
                        static_cast<int32_t>(static_cast<uint32_t>(g_free_megabytes)));
    text.Paint(dc, 75, 178, line);
    EndPaint(page, &paint);
}

}  // namespace

INT_PTR CALLBACK MainPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page);
        case WM_PAINT:
            OnPaint(page);
            return 0;
        case WM_DPICHANGED:
            FollowDpiChange(page, lparam);
            ShowPictures(page);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK:
                    OnInstall(page);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(page, 0);
                    return TRUE;
                case IDC_CHANGE_FOLDER:
                    OnChange(page);
                    return TRUE;
            }
            if (ReadScopeChoice(page, LOWORD(wparam), session::Current())) {
                ProposeFolder(ScanScript());
                RefreshLocation(page);
                InvalidateRect(page, nullptr, TRUE);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(page, 0);
            return TRUE;
    }
    return FALSE;
}

MainPageOutcome RunMainPage() {
    // The script is read before the page exists, so that a package that
    // must be refused is refused before anything is shown or changed.
    bool location_found = ScanScript();
    CountRequiredSpace();
    if (RefuseUnfitProjectName()) {
        return MainPageOutcome::kRefused;
    }
    ProposeFolder(location_found);
    switch (DialogBoxParamA(ui::AppInstance, MAKEINTRESOURCEA(IDD_MAIN_PAGE), nullptr,
                            &MainPageProc, 0)) {
        case kInstall:
            return MainPageOutcome::kInstall;
        case kFolderRefused:
            return MainPageOutcome::kFolderRefused;
        case kStartElevated:
            return MainPageOutcome::kStartElevated;
    }
    return MainPageOutcome::kCancelled;
}

}  // namespace ui
