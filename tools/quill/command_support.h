// Steps every command shares: reading its command line, picking the token
// and logging in first when asked.
#pragma once

#include <string>
#include <vector>

#include "cli_args.h"
#include "global_options.h"
#include "output.h"
#include "token_selection.h"

namespace quill {

// Returned by the steps below when the command should go on; any other
// value is the exit status to end with.
constexpr int kContinue = -1;

struct CommandRun {
  std::string name;  // "storage read", for messages and the --help hint
  ParsedArgs args;
  GlobalOptions globals;
  Output output{false};
  // The command changes the token (data, password, session): with several
  // tokens present it must be named by --uid. --login counts as a change too.
  bool changesToken = false;
};

// Parses a command's arguments: its own options (specs), the global ones and
// --help. Prints the help (exit 0) or reports a usage error (exit 2) when
// that is what the command line asks for or holds; kContinue otherwise. The
// command takes at most maxPositionals words besides options.
int StartCommand(const std::string& name, const std::string& help,
                 const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                 size_t maxPositionals, const GlobalOptions& leading, CommandRun* run);

// Reports a usage error of the running command; returns kExitUsage.
int UsageError(const CommandRun& run, const std::string& message);

// Picks the token; reports when there is none to pick, or when a change is
// asked of one of several tokens without naming it by --uid (a usage error).
int SelectTokenFor(const CommandRun& run, FoundToken* token);

// --password without --login is a usage error (checked before any token use).
int CheckLoginOptions(const CommandRun& run);

// With --login: asks for the password (or takes --password) and logs in.
int LoginIfAsked(const CommandRun& run, const FoundToken& token);

// The start of every success object of a command on one token: {"uid":...}.
JsonValue TokenFields(const FoundToken& token);

}  // namespace quill
