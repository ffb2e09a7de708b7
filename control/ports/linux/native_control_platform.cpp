// The control on Linux: UTF-8 text, the interfaces of /sys/class/net and the
// system clock. There is no dialog of its own: a program that can show one
// (the native-messaging host) puts its own port in place of this one.
#include "ports/linux/sysfs_adapter_list.h"
#include "ports/linux/system_seconds_clock.h"
#include "ports/linux/utf8_text_codec.h"
#include "session.h"

namespace quill {
namespace {

class NoLoginDialog : public LoginDialogPort {
 public:
  int Run(LoginDialogController&) override { return -1; }
};

}  // namespace

ControlPlatform& NativeControlPlatform() {
  static Utf8TextCodecPort text;
  static SysfsAdapterList adapters("/sys/class/net");
  static NoLoginDialog dialog;
  static SystemSecondsClock clock;
  static ControlPlatform platform{&text, &adapters, &dialog, &clock};
  return platform;
}

}  // namespace quill
