// In-memory control ports for tests: UTF-8 text, a configurable adapter
// list, a scripted login dialog and a settable clock.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control_ports.h"

namespace quill::fake {

// UTF-16 to UTF-8 and back; unpaired surrogates become U+FFFD.
class Utf8TextCodec : public TextCodecPort {
 public:
  std::string ToNarrow(const std::u16string& text) override;
  std::u16string ToWide(const std::string& text) override;
};

class FakeAdapterList : public AdapterListPort {
 public:
  bool ListAdapters(std::vector<NetworkAdapter>* list) override {
    ++calls;
    if (!available) return false;
    *list = adapters;
    return true;
  }
  AdapterListing ListAdaptersChecked(std::vector<NetworkAdapter>* list) override {
    if (!outOfMemory) return AdapterListPort::ListAdaptersChecked(list);
    ++calls;
    return AdapterListing::kNoMemory;
  }
  bool available = true;
  bool outOfMemory = false;  // the list's memory cannot be had
  std::vector<NetworkAdapter> adapters;
  int calls = 0;
};

// Plays the user: the function is called with the controller to press
// buttons; returns the end code it reached (or -1 when "not created").
class FakeLoginDialog : public LoginDialogPort {
 public:
  int Run(LoginDialogController& controller) override {
    ++shown;
    if (!user) return -1;
    return user(controller);
  }
  std::function<int(LoginDialogController&)> user;
  int shown = 0;
};

class FakeSecondsClock : public SecondsClockPort {
 public:
  int64_t NowSeconds() override { return now; }
  int64_t now = 1800000000;
};

struct FakeControlPlatform {
  FakeControlPlatform();
  Utf8TextCodec text;
  FakeAdapterList adapters;
  FakeLoginDialog dialog;
  FakeSecondsClock clock;
  ControlPlatform platform;
};

}  // namespace quill::fake
