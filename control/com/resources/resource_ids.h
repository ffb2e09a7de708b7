// Resource ids of the control's module: the login dialog and its controls,
// the string table, the toolbox bitmap and the icon. Read by the resource
// compiler and by C++ alike.
#pragma once

// windows.h names a system cursor IDC_ICON; it comes first here so that the
// dialog's icon control below replaces that name whatever the include order.
#include <windows.h>

#define IDD_LOGIN 104

#define IDC_PASSWORD 201
#define IDC_LOGIN 202
#define IDC_CANCEL 203
#define IDI_QUILL 205
#define IDC_MESSAGE 206
#undef IDC_ICON
#define IDC_ICON 207

#define IDS_PROJNAME 100
#define IDS_WRONG_PIN 101
#define IDS_NO_KEY 102

#define IDB_QUILLACTIVEX 102
