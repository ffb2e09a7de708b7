#include "fake_main_window.h"

namespace quill::fake {

namespace {

const char* YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

void FakeMainWindow::CenterAndSetIcons() {
  calls.push_back("CenterAndSetIcons");
}

bool FakeMainWindow::RegisterDeviceNotifications() {
  calls.push_back("RegisterDeviceNotifications");
  return notificationsRegister;
}

void FakeMainWindow::CreatePages(bool advancedPage) {
  calls.push_back(std::string("CreatePages advanced=") + YesNo(advancedPage));
}

void FakeMainWindow::ShowPage(int tab, bool advancedPageExists) {
  calls.push_back("ShowPage " + std::to_string(tab) + " advanced=" + YesNo(advancedPageExists));
}

void FakeMainWindow::ParentToProgManAndHide() {
  calls.push_back("ParentToProgManAndHide");
}

void FakeMainWindow::ParentToProgManAndShowMinimized() {
  calls.push_back("ParentToProgManAndShowMinimized");
  minimized = true;
}

void FakeMainWindow::ShowTopLevel() {
  calls.push_back("ShowTopLevel");
}

bool FakeMainWindow::IsMinimized() {
  calls.push_back("IsMinimized");
  return minimized;
}

void FakeMainWindow::SendMinimizeCommand() {
  calls.push_back("SendMinimizeCommand");
}

void FakeMainWindow::SetTimer(int id, uint32_t milliseconds) {
  calls.push_back("SetTimer " + std::to_string(id) + " " + std::to_string(milliseconds));
}

void FakeMainWindow::KillTimer(int id) {
  calls.push_back("KillTimer " + std::to_string(id));
}

void FakeMainWindow::EndDialog(int result) {
  calls.push_back("EndDialog " + std::to_string(result));
  dialogEnded = true;
  dialogResult = result;
}

bool FakeMainWindow::AddTrayIcon() {
  calls.push_back("AddTrayIcon");
  return trayAddSucceeds;
}

bool FakeMainWindow::DeleteTrayIcon() {
  calls.push_back("DeleteTrayIcon");
  return trayDeleteSucceeds;
}

void FakeMainWindow::ShowTrayMenu(bool exitEnabled) {
  calls.push_back(std::string("ShowTrayMenu exit=") + (exitEnabled ? "enabled" : "greyed"));
}

void FakeMainWindow::ShowAbout() {
  calls.push_back("ShowAbout");
}

void FakeMainWindow::RunChangePassword() {
  calls.push_back("RunChangePassword");
}

void FakeMainWindow::RefreshBasicPage() {
  calls.push_back("RefreshBasicPage");
}

void FakeMainWindow::RefreshAdvancedPage() {
  calls.push_back("RefreshAdvancedPage");
}

LockAnswer FakeMainWindow::AskLock() {
  calls.push_back("AskLock");
  return lockAnswer;
}

bool FakeMainWindow::LockWorkStation(uint32_t* error) {
  calls.push_back("LockWorkStation");
  if (!lockSucceeds && error != nullptr) *error = lockError;
  return lockSucceeds;
}

int FakeMainWindow::Count(const std::string& name) const {
  int found = 0;
  for (const std::string& call : calls) {
    if (call == name || call.rfind(name + " ", 0) == 0) ++found;
  }
  return found;
}

}  // namespace quill::fake
