#include "control.h"

#include <sys/socket.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "socket_io.h"

namespace quill {
namespace {

constexpr size_t kMaxCommandLine = 1024;
constexpr size_t kDefaultLogEntries = 16;

const char kHelp[] =
    "ok commands: list | plug N | unplug N | fault N KIND [ARG] [COUNT] | clear N | stats N | "
    "state N | log N [COUNT] | quit; fault kinds: noanswer drop crc marker length L status XX sw "
    "XXXX "
    "delay MS; COUNT 0 or always: until cleared";

bool ParseCount(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text.size() > 9) return false;
  uint64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<uint64_t>(c - '0');
  }
  if (result > limit) return false;
  *value = result;
  return true;
}

std::string Error(const std::string& message) {
  return "error " + message;
}

class CommandRunner {
 public:
  CommandRunner(VirtualTokenServer& server, std::vector<std::string> words)
      : server_(server), words_(std::move(words)) {}

  std::string Run(bool* quit) {
    const std::string& name = words_[0];
    if (name == "list") return Expect(1, 1) ? List() : usage_;
    if (name == "help") return kHelp;
    if (name == "quit") {
      if (!Expect(1, 1)) return usage_;
      *quit = true;
      return "ok bye";
    }
    if (name == "plug" || name == "unplug" || name == "clear" || name == "stats" ||
        name == "state") {
      if (!Expect(2, 2)) return usage_;
    } else if (name == "log") {
      if (!Expect(2, 3)) return usage_;
    } else if (name == "fault") {
      if (!Expect(3, 5)) return usage_;
    } else {
      return Error("unknown command \"" + name + "\" (try help)");
    }
    int id;
    if (!ParseId(words_[1], &id)) return Error("no token " + words_[1]);
    if (name == "plug") return Plug(id);
    if (name == "unplug") {
      server_.Unplug(id);
      return "ok unplugged";
    }
    if (name == "clear") {
      server_.ClearFaults(id);
      return "ok cleared";
    }
    if (name == "stats") return Stats(id);
    if (name == "state") return State(id);
    if (name == "log") return Log(id);
    return InjectFault(id);
  }

 private:
  bool Expect(size_t least, size_t most) {
    if (words_.size() >= least && words_.size() <= most) return true;
    usage_ = Error("wrong number of arguments for " + words_[0] + " (try help)");
    return false;
  }

  bool ParseId(const std::string& text, int* id) const {
    uint64_t value;
    if (!ParseCount(text, 1u << 20, &value) ||
        value >= static_cast<uint64_t>(server_.TokenCount())) {
      return false;
    }
    *id = static_cast<int>(value);
    return true;
  }

  std::string List() const {
    std::string reply = "ok";
    for (int id = 0; id < server_.TokenCount(); ++id) {
      const TokenSpec spec = server_.Spec(id);
      reply += (id == 0 ? " " : ", ") + std::to_string(id) + " " + KindName(spec.kind) + " " +
               ModelName(spec.model) + " " + server_.Endpoint(id) + " " +
               (server_.Plugged(id) ? "plugged" : "unplugged");
    }
    return reply;
  }

  std::string Plug(int id) const {
    if (!server_.Plug(id)) return Error(server_.LastError());
    return "ok plugged " + server_.Endpoint(id);
  }

  std::string Stats(int id) const {
    const TokenStats stats = server_.Stats(id);
    std::ostringstream reply;
    reply << "ok exchanges=" << stats.exchanges << " answers=" << stats.answers
          << " damaged=" << stats.damagedRequests << " interleaved=" << stats.interleaved
          << " connections=" << stats.connections << " plugged=" << (server_.Plugged(id) ? 1 : 0);
    return reply.str();
  }

  std::string State(int id) const {
    const SessionState session = server_.Session(id);
    std::ostringstream reply;
    reply << "ok verified=" << session.passwordVerified << " locked=" << session.locked
          << " failures=" << session.failedPasswords << " accesskey=" << session.accessKeyPresented;
    return reply.str();
  }

  std::string Log(int id) const {
    uint64_t wanted = kDefaultLogEntries;
    if (words_.size() == 3 && !ParseCount(words_[2], kCommandLogSize, &wanted)) {
      return Error("the entry count must be 0.." + std::to_string(kCommandLogSize));
    }
    const std::vector<CommandRecord> commands = server_.Stats(id).commands;
    const size_t first = commands.size() > wanted ? commands.size() - wanted : 0;
    std::string reply = "ok";
    for (size_t i = first; i < commands.size(); ++i) {
      char entry[16];
      std::snprintf(entry, sizeof(entry), " %02x:%02x:%02x:%02x", commands[i].ins, commands[i].p1,
                    commands[i].p2, commands[i].lc);
      reply += entry;
    }
    return reply;
  }

  std::string InjectFault(int id) const {
    Fault fault;
    if (!ParseFaultKind(words_[2], &fault.kind)) {
      return Error("unknown fault kind \"" + words_[2] + "\" (try help)");
    }
    size_t next = 3;
    if (FaultTakesValue(fault.kind)) {
      if (words_.size() <= next || !ParseFaultValue(fault.kind, words_[next], &fault.value)) {
        return Error(std::string("fault ") + FaultKindName(fault.kind) + " needs " +
                     ValueDescription(fault.kind));
      }
      ++next;
    }
    uint64_t count = 1;
    if (words_.size() > next) {
      if (words_[next] == "always") {
        count = 0;
      } else if (!ParseCount(words_[next], 1000000000, &count)) {
        return Error("the count must be a number or always");
      }
      ++next;
    }
    if (words_.size() > next) return Error("too many arguments for fault");
    server_.InjectFault(id, fault, static_cast<int>(count));
    return std::string("ok fault ") + FaultKindName(fault.kind) +
           " count=" + (count == 0 ? std::string("always") : std::to_string(count));
  }

  static const char* ValueDescription(FaultKind kind) {
    switch (kind) {
      case FaultKind::kLength:
        return "a length 0..65535";
      case FaultKind::kStatus:
        return "a status byte in hex";
      case FaultKind::kStatusWord:
        return "a status word in hex";
      default:
        return "milliseconds 0..600000";
    }
  }

  VirtualTokenServer& server_;
  std::vector<std::string> words_;
  std::string usage_;
};

}  // namespace

std::string RunControlCommand(VirtualTokenServer& server, const std::string& line, bool* quit) {
  *quit = false;
  std::istringstream input(line);
  std::vector<std::string> words;
  std::string word;
  while (input >> word) words.push_back(word);
  if (words.empty()) return Error("empty command (try help)");
  return CommandRunner(server, std::move(words)).Run(quit);
}

ControlServer::ControlServer(VirtualTokenServer& server, std::function<void()> onQuit)
    : server_(server), onQuit_(std::move(onQuit)) {}

ControlServer::~ControlServer() {
  Stop();
}

bool ControlServer::Start(uint16_t port, std::string* error) {
  if (!listener_.Open(port, error)) return false;
  listener_.Serve([this](int fd) { Serve(fd); });
  return true;
}

void ControlServer::Stop() {
  listener_.Close();
}

void ControlServer::Serve(int fd) {
  std::string pending;
  char buffer[512];
  for (;;) {
    const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
    if (n <= 0) return;
    pending.append(buffer, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      bool quit = false;
      const std::string reply = RunControlCommand(server_, line, &quit);
      if (!WriteAll(fd, reply + "\n")) return;
      if (quit) {
        if (onQuit_) onQuit_();
        return;
      }
    }
    if (pending.size() > kMaxCommandLine) {
      WriteAll(fd, Error("command line too long") + "\n");
      return;
    }
  }
}

}  // namespace quill
