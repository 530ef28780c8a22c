#pragma once

// Ids of the dialog templates, their controls and the PNG pictures compiled into the program.
// Shared by the resource script and the C++ code, so plain defines only.

#define IDD_LAYERED_BACKGROUND 102
#define IDD_MESSAGE_BOX_CONTENT 105
#define IDD_MAIN_FOREGROUND 131
#define IDD_MAIN_HOST 134

#define IDC_MESSAGE_BOX_FIRST 1008
#define IDC_MESSAGE_BOX_SECOND 1009
#define IDC_MESSAGE_BOX_TEXT 1010

#define IDC_MAIN_PROGRESS 1004
#define IDC_MAIN_STATUS 1006
#define IDC_MAIN_MINIMIZE 1007
#define IDC_MAIN_CLOSE 1008
#define IDC_MAIN_TIPS 1009
#define IDC_MAIN_HOME_PAGE 1011

#define IDB_CLOSE 130
#define IDB_CLOSE_HOT 131
#define IDB_MINIMIZE 132
#define IDB_MINIMIZE_HOT 133
#define IDB_MAIN_BACKGROUND 137
#define IDB_MESSAGE_BOX_FRAME 138
#define IDB_BUTTON_HIGHLIGHT 139
#define IDB_BUTTON_DARK 140
#define IDB_PROGRESS_FILL 141
#define IDB_BUTTON_HIGHLIGHT_HOT 149
#define IDB_BUTTON_DARK_HOT 150
