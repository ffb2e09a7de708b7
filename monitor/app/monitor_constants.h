// Message, notification, command and resource numbers of the tray monitor,
// as plain numbers so that the portable logic and the Windows program use
// the same values without the Windows headers. The names carry a k prefix
// because the Windows headers and the program's resource.h define the
// classic names (WM_USER, IDOK, SC_CLOSE, ID_TRAY_EXIT, ...) as macros.
#pragma once

#include <cstdint>

namespace quill {

// Window messages.
constexpr uint32_t kWmUser = 0x0400;             // WM_USER
constexpr uint32_t kWmTrayNotify = kWmUser + 5;  // WM_TRAYNOTIFY (1029), the tray callback
constexpr uint32_t kWmLButtonDblClk = 0x0203;    // WM_LBUTTONDBLCLK
constexpr uint32_t kWmRButtonDown = 0x0204;      // WM_RBUTTONDOWN

// WM_DEVICECHANGE events and the record type the monitor listens to.
constexpr uint32_t kDbtDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
constexpr uint32_t kDbtDevTypDeviceInterface = 5;      // DBT_DEVTYP_DEVICEINTERFACE

// System commands (the low four bits of a command are the system's own).
constexpr uint32_t kScMinimize = 0xF020;  // SC_MINIMIZE
constexpr uint32_t kScMaximize = 0xF030;  // SC_MAXIMIZE
constexpr uint32_t kScClose = 0xF060;     // SC_CLOSE
constexpr uint32_t kSystemCommandMask = 0xFFF0;

// Dialog commands.
constexpr int kIdCommandOk = 1;      // IDOK
constexpr int kIdCommandCancel = 2;  // IDCANCEL
constexpr int kIdAppAbout = 57664;   // ID_APP_ABOUT

// The tray menu (menu 206, popup 0), in menu order.
constexpr int kIdrTrayMenu = 206;             // IDR_TRAY_MENU
constexpr int kIdTrayOpenUrl = 32790;         // ID_TRAY_OPENURL
constexpr int kIdTrayChangePassword = 32794;  // ID_TRAY_CHANGEPASSWORD
constexpr int kIdTrayShowMain = 32781;        // ID_TRAY_SHOWMAIN
constexpr int kIdTrayAbout = 32780;           // ID_TRAY_ABOUT
constexpr int kIdTrayExit = 32786;            // ID_TRAY_EXIT

// Timers of the main window.
constexpr int kTimerCheck = 1;  // TIMER_CHECK, repeating
constexpr uint32_t kTimerCheckMilliseconds = 3000;
constexpr int kTimerHide = 2;  // TIMER_HIDE, once
constexpr uint32_t kTimerHideMilliseconds = 500;

// Resources.
constexpr int kIddAboutBox = 100;        // IDD_ABOUTBOX
constexpr int kIdiMain = 128;            // IDI_MAIN
constexpr int kIddMainDlg = 129;         // IDD_MAINDLG
constexpr int kIddBasicPage = 201;       // IDD_BASIC_PAGE
constexpr int kIddAdvancedPage = 203;    // IDD_ADVANCED_PAGE
constexpr int kIddModifyPassword = 209;  // IDD_MODIFY_PASSWORD
constexpr int kIddMessageBoxInfo = 210;  // IDD_MESSAGEBOX_INFO
constexpr int kIdiInfo = 211;            // IDI_INFO

// Controls.
constexpr int kIdcTab = 1000;              // IDC_TAB
constexpr int kIdcList = 1001;             // IDC_LIST
constexpr int kIdcFixIe32 = 1002;          // IDC_FIX_IE32
constexpr int kIdcFixIe64 = 1003;          // IDC_FIX_IE64
constexpr int kIdcFirefox = 1004;          // IDC_FIREFOX
constexpr int kIdcChrome = 1005;           // IDC_CHROME
constexpr int kIdcSave = 1006;             // IDC_SAVE
constexpr int kIdcAutoStart = 1007;        // IDC_AUTOSTART
constexpr int kIdcOldPassword = 1008;      // IDC_OLD_PASSWORD
constexpr int kIdcNewPassword = 1009;      // IDC_NEW_PASSWORD
constexpr int kIdcConfirmPassword = 1010;  // IDC_CONFIRM_PASSWORD
constexpr int kIdcOk = 1012;               // IDC_OK
constexpr int kIdcCancel = 1013;           // IDC_CANCEL
constexpr int kIdcInfoIcon = 1015;         // IDC_INFO_ICON

// The main dialog's result after "Exit" (the command's own id) and after Esc.
constexpr int kExitResult = kIdTrayExit;
constexpr int kEscapeResult = kIdCommandCancel;

}  // namespace quill
