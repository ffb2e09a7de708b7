// Delivers device notifications to the monitor's main window the way the
// system does: WM_DEVICECHANGE with a DEV_BROADCAST_DEVICEINTERFACE_W record
// of the USB device interface class.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "presence_ports.h"

namespace quill {

class WindowNotifier : public PresenceNotifier {
 public:
  // The window is looked up by class and caption at every delivery, so that
  // a monitor started later (or started again) is found.
  WindowNotifier(std::wstring windowClass, std::wstring caption, UINT answerTimeoutMs)
      : windowClass_(std::move(windowClass)),
        caption_(std::move(caption)),
        answerTimeoutMs_(answerTimeoutMs) {}

  bool Deliver(PresenceChange change, const std::string& devicePath) override;

  // What the last delivery found: "no window", "delivered", "delivered,
  // still handling" (the handler did not return in time, e.g. it shows the
  // lock question) or "failed (error N)".
  const std::string& LastOutcome() const { return lastOutcome_; }

 private:
  std::wstring windowClass_;
  std::wstring caption_;
  UINT answerTimeoutMs_;
  std::string lastOutcome_;
};

}  // namespace quill
