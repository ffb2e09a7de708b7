// What the control needs of the platform beyond the token library.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quill {

// Conversion between script text (UTF-16) and the 8-bit text the token keeps:
// the system ANSI code page on Windows, UTF-8 elsewhere.
class TextCodecPort {
 public:
  virtual ~TextCodecPort() = default;
  virtual std::string ToNarrow(const std::u16string& text) = 0;
  // The thread's code page where that differs (the login dialog uses it).
  virtual std::string ToNarrowForThread(const std::u16string& text) { return ToNarrow(text); }
  virtual std::u16string ToWide(const std::string& text) = 0;
};

struct NetworkAdapter {
  uint32_t type = 0;  // 6: Ethernet
  std::vector<uint8_t> address;
};

// The host's network adapters in the platform's order; false when the list
// cannot be had.
class AdapterListPort {
 public:
  virtual ~AdapterListPort() = default;
  virtual bool ListAdapters(std::vector<NetworkAdapter>* adapters) = 0;
};

class LoginDialogController;

// Shows the login dialog modally and drives controller with what the user
// does; returns the dialog's end code, or -1 when it cannot be shown.
class LoginDialogPort {
 public:
  virtual ~LoginDialogPort() = default;
  virtual int Run(LoginDialogController& controller) = 0;
};

// Seconds since 1970 (the reset challenge is drawn from them).
class SecondsClockPort {
 public:
  virtual ~SecondsClockPort() = default;
  virtual int64_t NowSeconds() = 0;
};

struct ControlPlatform {
  TextCodecPort* text = nullptr;
  AdapterListPort* adapters = nullptr;
  LoginDialogPort* dialog = nullptr;
  SecondsClockPort* clock = nullptr;
};

}  // namespace quill
