#include "main_window.h"

#include <commctrl.h>
#include <dbt.h>

#include "about_box.h"
#include "message_box_info_dialog.h"
#include "modify_password_dialog.h"
#include "resource_ids.h"
#include "tray_icon.h"
#include "wide_text.h"

namespace quill {
namespace {

// GUID_DEVINTERFACE_USB_DEVICE {A5DCBF10-6530-11D2-901F-00C04FB951ED}.
constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "the filter record's size");

// Pages sit inside the tab control's client area, below the tabs.
constexpr LONG kPageLeftInset = 1;
constexpr LONG kPageTopInset = 20;

void InsertTab(HWND tab, int index, const std::u16string& text) {
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(WidePointer(text));
  SendMessageW(tab, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void Win32MainWindow::Attach(HWND window) {
  window_ = window;
  tab_ = GetDlgItem(window, IDC_TAB);
  boxes_.SetOwnerWindow(BoxOwner::kMainWindow, window);
}

HICON Win32MainWindow::LoadMainIcon(int width, int height) const {
  return static_cast<HICON>(
      LoadImageW(module_, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

void Win32MainWindow::CenterAndSetIcons() {
  // On the owner when there is one, else on the work area of the window's monitor.
  RECT area = {};
  const HWND owner = GetWindow(window_, GW_OWNER);
  if (owner == nullptr || !GetWindowRect(owner, &area)) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &info);
    area = info.rcWork;
  }
  RECT frame = {};
  GetWindowRect(window_, &frame);
  const LONG width = frame.right - frame.left;
  const LONG height = frame.bottom - frame.top;
  SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  // The window keeps these icons for its life.
  const HICON big = LoadMainIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  const HICON small = LoadMainIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

bool Win32MainWindow::RegisterDeviceNotifications() {
  DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kUsbDeviceInterface;
  deviceNotify_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  return deviceNotify_ != nullptr;
}

void Win32MainWindow::CreatePages(bool advancedPage) {
  InsertTab(tab_, 0, ports_.strings->Load(IDS_TAB_BASIC));
  basicPage_.Create(tab_);
  if (advancedPage) {
    InsertTab(tab_, 1, ports_.strings->Load(IDS_TAB_ADVANCED));
    advancedPage_.Create(tab_);
  }
  RECT area = {};
  GetClientRect(tab_, &area);
  area.left += kPageLeftInset;
  area.top += kPageTopInset;
  for (const HWND page : {basicPage_.Handle(), advancedPage_.Handle()}) {
    if (page != nullptr) {
      MoveWindow(page, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    }
  }
  ShowPage(0, advancedPage);
}

void Win32MainWindow::ShowPage(int tab, bool advancedPageExists) {
  const HWND basic = basicPage_.Handle();
  const HWND advanced = advancedPageExists ? advancedPage_.Handle() : nullptr;
  if (tab == 0) {
    if (basic != nullptr) ShowWindow(basic, SW_SHOW);
    if (advanced != nullptr) ShowWindow(advanced, SW_HIDE);
  } else {
    if (basic != nullptr) ShowWindow(basic, SW_HIDE);
    if (advanced != nullptr) ShowWindow(advanced, SW_SHOW);
  }
}

void Win32MainWindow::ParentToProgMan() {
  // No program manager window: the window simply keeps no parent.
  SetParent(window_, FindWindowW(L"ProgMan", nullptr));
}

void Win32MainWindow::ParentToProgManAndHide() {
  ParentToProgMan();
  ShowWindow(window_, SW_HIDE);
}

void Win32MainWindow::ParentToProgManAndShowMinimized() {
  ParentToProgMan();
  ShowWindow(window_, SW_SHOWMINIMIZED);
}

void Win32MainWindow::ShowTopLevel() {
  SetParent(window_, nullptr);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

bool Win32MainWindow::IsMinimized() {
  return IsIconic(window_) != FALSE;
}

void Win32MainWindow::SendMinimizeCommand() {
  SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void Win32MainWindow::SetTimer(int id, uint32_t milliseconds) {
  ::SetTimer(window_, static_cast<UINT_PTR>(id), milliseconds, nullptr);
}

void Win32MainWindow::KillTimer(int id) {
  ::KillTimer(window_, static_cast<UINT_PTR>(id));
}

// The main dialog runs in the program's own loop (main_dialog_loop.h),
// which ends when it sees this.
void Win32MainWindow::EndDialog(int result) {
  ended_ = true;
  result_ = result;
}

bool Win32MainWindow::NotifyTray(DWORD action) {
  NOTIFYICONDATAW record;
  const HICON icon = LoadMainIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  FillTrayIconRecord(window_, icon, ports_.strings->Load(IDS_TRAY_TIP), &record);
  const bool done = Shell_NotifyIconW(action, &record) != FALSE;
  // The shell keeps its own copy of the icon.
  if (icon != nullptr) DestroyIcon(icon);
  return done;
}

bool Win32MainWindow::AddTrayIcon() {
  return NotifyTray(NIM_ADD);
}

bool Win32MainWindow::DeleteTrayIcon() {
  return NotifyTray(NIM_DELETE);
}

void Win32MainWindow::ShowTrayMenu(bool exitEnabled) {
  const HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_TRAY_MENU));
  if (menu == nullptr) return;
  const HMENU popup = GetSubMenu(menu, 0);
  if (popup != nullptr) {
    if (!exitEnabled) {
      EnableMenuItem(popup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_GRAYED | MF_DISABLED);
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    const POINT at = TrayMenuPoint(cursor);
    // A menu whose owner is not the foreground window never closes when the
    // user clicks elsewhere or presses Esc: bring the owner forward first,
    // and let it see one message after the menu is gone.
    SetForegroundWindow(window_);
    TrackPopupMenu(popup, TPM_CENTERALIGN, at.x, at.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
  }
  DestroyMenu(menu);
}

void Win32MainWindow::ShowAbout() {
  RunAboutBox(module_, GetActiveWindow());
}

void Win32MainWindow::RunChangePassword() {
  RunModifyPasswordDialog(module_, GetActiveWindow(), ports_, boxes_);
}

void Win32MainWindow::RefreshBasicPage() {
  basicPage_.Refresh();
}

void Win32MainWindow::RefreshAdvancedPage() {
  advancedPage_.Refresh();
}

LockAnswer Win32MainWindow::AskLock() {
  return RunMessageBoxInfo(module_, GetActiveWindow());
}

bool Win32MainWindow::LockWorkStation(uint32_t* error) {
  if (::LockWorkStation()) return true;
  if (error != nullptr) *error = GetLastError();
  return false;
}

}  // namespace quill
