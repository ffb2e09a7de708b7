#include "monitor_program.h"

#include <memory>

#include "advanced_page.h"
#include "advanced_page_window.h"
#include "basic_page.h"
#include "basic_page_window.h"
#include "diagnostic_log_setting.h"
#include "main_dialog_loop.h"
#include "main_dlg.h"
#include "main_window.h"
#include "remote_channel_choice.h"
#include "remote_relay.h"
#include "remote_relay_presence.h"
#include "win32_diagnostic_log.h"
#include "win32_files.h"
#include "win32_message_boxes.h"
#include "win32_processes.h"
#include "win32_registry.h"
#include "win32_remote_channel.h"
#include "win32_strings.h"
#include "win32_system.h"
#include "win32_text.h"

namespace quill {

int RunMonitorProgram(HINSTANCE module) {
  Win32RegistryPort registry;
  Win32FilePort files;
  Win32SystemPort system;
  Win32TextPort text;
  Win32ProcessPort processes;
  Win32MessageBoxPort messageBoxes;
  Win32StringsPort strings(module);
  std::u16string logPath;
  FindDiagnosticLogPath(system, registry, &logPath);
  Win32DiagnosticLog log(logPath);

  MonitorPorts ports;
  ports.registry = &registry;
  ports.files = &files;
  ports.system = &system;
  ports.text = &text;
  ports.processes = &processes;
  ports.messageBoxes = &messageBoxes;
  ports.strings = &strings;
  ports.log = &log;

  // The remote-desktop relay: the session's virtual channel, or the loopback
  // channel that QUILL_VIRTUAL_CHANNEL names.
  std::unique_ptr<RemoteChannelPort> channel =
      ChooseRemoteChannel(system, std::make_unique<Win32RemoteChannel>(), &log);
  CRemoteRelay remoteRelay(*channel, text);
  RemoteRelayPresence relay(remoteRelay);

  CBasicPage basicPage(ports);
  CAdvancedPage advancedPage(ports);
  BasicPageWindow basicPageWindow(module, basicPage);
  AdvancedPageWindow advancedPageWindow(module, advancedPage, messageBoxes);
  Win32MainWindow window(module, ports, messageBoxes, basicPageWindow, advancedPageWindow);
  CMainDlg mainDlg(ports, window, relay);

  MainDialogContext context{&window, &mainDlg};
  return RunMainDialog(module, GetActiveWindow(), context);
}

}  // namespace quill
