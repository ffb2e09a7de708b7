// The virtual token program: options, servers, ready lines, and the wait
// for a stop signal. Shared by quill-vtoken and `quill vtoken`.
#include "program.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "control.h"
#include "options.h"
#include "server.h"

namespace quill {
namespace {

bool WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.flush();
    if (!file) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

// A token whose entry in the state file wins over the options given for it:
// says so, so that a --password that changes nothing does not go unnoticed.
void WarnOfIgnoredSettings(int id, const std::vector<std::string>& given,
                           const std::string& stateFile) {
  if (given.empty()) return;
  std::string names;
  for (const std::string& name : given) names += (names.empty() ? "" : ", ") + name;
  std::fprintf(stderr,
               "quill-vtoken: warning: token %d: %s ignored: the state file %s already holds "
               "this token's state (its password included); remove the file to start afresh\n",
               id, names.c_str(), stateFile.c_str());
}

}  // namespace

int RunVirtualTokenProgram(const std::vector<std::string>& args) {
  VtokenOptions options;
  std::string error;
  if (!ParseVtokenOptions(args, &options, &error)) {
    std::fprintf(stderr, "quill-vtoken: %s\n%s", error.c_str(), VtokenUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(VtokenUsage().c_str(), stdout);
    return 0;
  }

  // Every thread inherits the blocked signals; the main thread takes them
  // with sigwait, which is also how the control command quit ends the run.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  VirtualTokenServer server;
  server.SetWarningSink(
      [](const std::string& line) { std::fprintf(stderr, "quill-vtoken: %s\n", line.c_str()); });
  // The state file is read before the tokens are added, so that each takes its entry.
  if (!options.stateFile.empty() && !server.UseStateFile(options.stateFile)) {
    std::fprintf(stderr, "quill-vtoken: %s\n", server.LastError().c_str());
    return 2;
  }
  for (size_t i = 0; i < options.tokens.size(); ++i) {
    // Asked before adding: a token without an entry gets one at once.
    const bool fromStateFile = server.HasStateEntry(server.TokenCount());
    const int id = server.AddToken(options.tokens[i]);
    if (id < 0) {
      std::fprintf(stderr, "quill-vtoken: %s\n", server.LastError().c_str());
      return 2;
    }
    if (fromStateFile) WarnOfIgnoredSettings(id, options.settingsGiven[i], options.stateFile);
  }
  if (!server.Start()) {
    std::fprintf(stderr, "quill-vtoken: %s\n", server.LastError().c_str());
    return 1;
  }
  ControlServer control(server, [] { kill(getpid(), SIGTERM); });
  if (options.control && !control.Start(options.controlPort, &error)) {
    std::fprintf(stderr, "quill-vtoken: control socket: %s\n", error.c_str());
    return 1;
  }

  std::string lines;
  for (int id = 0; id < server.TokenCount(); ++id) {
    const TokenSpec spec = server.Spec(id);
    lines += "token " + std::to_string(id) + " " + KindName(spec.kind) + " " +
             ModelName(spec.model) + " " + server.Endpoint(id) + "\n";
  }
  if (options.control) lines += "control 127.0.0.1:" + std::to_string(control.Port()) + "\n";
  lines += "ready\n";
  if (!options.readyFile.empty() && !WriteFileAtomically(options.readyFile, lines)) {
    std::fprintf(stderr, "quill-vtoken: cannot write %s\n", options.readyFile.c_str());
    return 1;
  }
  std::fputs(lines.c_str(), stdout);
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  control.Stop();
  server.Stop();
  return 0;
}

}  // namespace quill
