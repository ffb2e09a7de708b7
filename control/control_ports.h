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

// How a request for the adapter list ended.
enum class AdapterListing {
  kListed,       // the list (possibly empty)
  kUnavailable,  // the system gave no list: the machine code is computed over none
  kNoMemory,     // memory for the list could not be had: the machine code fails
};

// The host's network adapters in the platform's order; false when the list
// cannot be had.
class AdapterListPort {
 public:
  virtual ~AdapterListPort() = default;
  virtual bool ListAdapters(std::vector<NetworkAdapter>* adapters) = 0;
  // The same list, telling a list the system does not give apart from memory
  // that cannot be had; what the control asks. A port that can run out of
  // memory of its own overrides it.
  virtual AdapterListing ListAdaptersChecked(std::vector<NetworkAdapter>* adapters) {
    return ListAdapters(adapters) ? AdapterListing::kListed : AdapterListing::kUnavailable;
  }
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
