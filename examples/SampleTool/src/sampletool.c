/* Sample Tool: the small program the demo installer installs.
   --first-run        records a first start in first-run.txt beside itself
   --forget-settings  removes that record again (run by the uninstaller)
   no arguments       says where it is installed */
#include <string.h>
#include <windows.h>

static void RecordPath(char* path) {
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (length == 0 || length >= MAX_PATH || slash == NULL) {
        path[0] = '\0';
        return;
    }
    slash[1] = '\0';
    if (strlen(path) + sizeof "first-run.txt" < MAX_PATH) {
        strcat(path, "first-run.txt");
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    char path[MAX_PATH];
    (void)instance;
    (void)previous;
    (void)show;
    RecordPath(path);
    if (strstr(command_line, "--first-run") != NULL) {
        HANDLE file =
            CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, "first run done\r\n", 16, &written, NULL);
            CloseHandle(file);
        }
        return 0;
    }
    if (strstr(command_line, "--forget-settings") != NULL) {
        DeleteFileA(path);
        return 0;
    }
    MessageBoxA(NULL, path, "Sample Tool", MB_OK | MB_ICONINFORMATION);
    return 0;
}
