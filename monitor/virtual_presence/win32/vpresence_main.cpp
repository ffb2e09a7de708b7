// quill-vpresence: makes virtual tokens plugged in and pulled out (through
// the virtual token's control socket) reach the running lumoMonitor as the
// device notifications a real token causes.
//
//   quill-vpresence [--interval MS] [--polls N]
//
// Watches the endpoints of QUILL_VIRTUAL_TOKENS every MS milliseconds
// (default 300) and sends each change to the window of class "#32770" and
// caption "lumoMonitor" (found again for every event). Prints one line per
// event, e.g.
//   removal 127.0.0.1:40123 \\?\USB#VID_04B4&PID_B328#QVT40123#{a5dcbf10-...} delivered
// Runs until it is ended, or for N polls with --polls. Exit status 2 for a
// bad command line or when QUILL_VIRTUAL_TOKENS names no usable endpoint.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "endpoint_list.h"
#include "loopback_hello_probe.h"
#include "presence_watcher.h"
#include "window_notifier.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 1000;

bool ParseCount(const char* text, unsigned long* value) {
  char* end = nullptr;
  const unsigned long parsed = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0') return false;
  *value = parsed;
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: quill-vpresence [--interval MS] [--polls N]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long intervalMs = 300;
  unsigned long polls = 0;  // 0: until ended
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--interval" && i + 1 < argc) {
      if (!ParseCount(argv[++i], &intervalMs) || intervalMs == 0) return Usage();
    } else if (arg == "--polls" && i + 1 < argc) {
      if (!ParseCount(argv[++i], &polls)) return Usage();
    } else {
      return Usage();
    }
  }
  const char* list = std::getenv("QUILL_VIRTUAL_TOKENS");
  std::vector<std::string> rejected;
  std::vector<quill::LoopbackEndpoint> endpoints =
      quill::ParseEndpointList(list != nullptr ? list : "", &rejected);
  for (const std::string& entry : rejected) {
    std::fprintf(stderr, "quill-vpresence: not a loopback endpoint, ignored: %s\n", entry.c_str());
  }
  if (endpoints.empty()) {
    std::fprintf(stderr, "quill-vpresence: QUILL_VIRTUAL_TOKENS names no endpoint\n");
    return 2;
  }

  quill::LoopbackHelloProbe probe;
  quill::WindowNotifier notifier(L"#32770", L"lumoMonitor", kAnswerTimeoutMs);
  quill::PresenceWatcher watcher(std::move(endpoints), &probe, &notifier);
  watcher.Poll();
  std::printf("watching %u endpoints\n", static_cast<unsigned>(watcher.EndpointCount()));
  std::fflush(stdout);
  for (unsigned long done = 1; polls == 0 || done < polls; ++done) {
    Sleep(static_cast<DWORD>(intervalMs));
    for (const quill::PresenceEvent& event : watcher.Poll()) {
      std::printf("%s %s %s %s\n",
                  event.change == quill::PresenceChange::kArrival ? "arrival" : "removal",
                  event.endpoint.c_str(), event.devicePath.c_str(), notifier.LastOutcome().c_str());
      std::fflush(stdout);
    }
  }
  return 0;
}
