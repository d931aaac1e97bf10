// Numbers of the resources inside the program and of the controls on its
// dialog pages. Shared by the resource script and the C++ code, so it holds
// plain macros only.
#pragma once

// Dialog templates.
#define IDD_PROGRESS_PAGE 101
#define IDD_MAIN_PAGE 102
#define IDD_LICENCE_PAGE 103
#define IDD_CONTAINER 107
#define IDD_UNINSTALL 201
#define IDD_FINISH_PAGE 202

// Bitmaps: the folder beside the location box and the disk-space bullet.
#define IDB_FOLDER 103
#define IDB_BULLET 111

// Icon groups.
#define IDI_PROGRAM 105
#define IDI_RUN_PROGRAM 112
#define IDI_CREATE_SHORTCUT 113
#define IDI_REBOOT 114
#define IDI_UNCHECKED 115
#define IDI_CHECKED 116

// Controls. Buttons 1 and 2 are IDOK and IDCANCEL.
#define IDC_PROGRESS_BAR 1000
#define IDC_CHANGE_FOLDER 1001
#define IDC_LICENCE_TEXT 1003
#define IDC_FOLDER_PICTURE 1007
#define IDC_REQUIRED_BULLET 1008
#define IDC_BANNER 1009
#define IDC_FREE_BULLET 1011
#define IDC_LOCATION 1012
#define IDC_CONTAINER_COUNTER 1013
#define IDC_SCOPE_ME 1014
#define IDC_SCOPE_ALL 1015
#define IDC_UNINSTALL_TEXT 2000
#define IDC_UNINSTALL_PROGRESS 2001
#define IDC_UNINSTALL_BANNER 2002
