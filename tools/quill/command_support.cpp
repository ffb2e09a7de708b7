#include "command_support.h"

#include <cstdio>

#include "failure.h"
#include "password_prompt.h"

namespace quill {
namespace {

// Whether a word asks for --json or --help before the options end; used
// before (or when) the command line could not be parsed.
bool Mentions(const std::vector<std::string>& args, const std::string& option) {
  for (const std::string& word : args) {
    if (word == "--") return false;
    if (word == option) return true;
  }
  return false;
}

// Whether the command line asks for help: --help, or -h where it is not the
// value of the option before it.
bool AsksForHelp(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") return false;
    if (args[i] == "--help") return true;
    if (args[i] != "-h") continue;
    bool isValue = false;
    for (const OptionSpec& spec : specs) {
      if (i > 0 && spec.takesValue && args[i - 1] == spec.name) isValue = true;
    }
    if (!isValue) return true;
  }
  return false;
}

}  // namespace

int StartCommand(const std::string& name, const std::string& help,
                 const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                 size_t maxPositionals, const GlobalOptions& leading, CommandRun* run) {
  run->name = name;
  run->globals = leading;
  run->output = Output(leading.json || Mentions(args, "--json"));
  std::vector<OptionSpec> all = specs;
  for (const OptionSpec& spec : GlobalOptionSpecs()) all.push_back(spec);
  if (AsksForHelp(args, all)) {
    std::printf("%s\n%s", help.c_str(), GlobalOptionsHelp());
    return kExitSuccess;
  }
  std::string error;
  if (!ParseArgs(args, all, &run->args, &error) ||
      !ApplyGlobalOptions(run->args, &run->globals, &error)) {
    return UsageError(*run, error);
  }
  run->output = Output(run->globals.json);
  if (run->args.Positionals().size() > maxPositionals) {
    return UsageError(*run,
                      "unexpected argument '" + run->args.Positionals()[maxPositionals] + "'");
  }
  return kContinue;
}

int UsageError(const CommandRun& run, const std::string& message) {
  return ReportUsageError(run.output, run.name, run.name + ": " + message);
}

int SelectTokenFor(const CommandRun& run, FoundToken* token) {
  std::string what;
  const bool changes = run.changesToken || run.args.Has("--login");
  SearchNotes notes;
  switch (SelectToken(run.globals, changes, token, &what, &notes)) {
    case Selection::kSelected:
      return kContinue;
    case Selection::kNoToken:
      return ReportNoToken(run.output, "no token found", NoTokenHint(notes));
    case Selection::kAmbiguous:
    case Selection::kUidRequired:
      return UsageError(run, what);
    case Selection::kNoMatch:
      break;
  }
  return ReportNoToken(run.output, what);
}

int CheckLoginOptions(const CommandRun& run) {
  if (run.args.Has("--password") && !run.args.Has("--login")) {
    return UsageError(run, "--password goes with --login");
  }
  return kContinue;
}

int LoginIfAsked(const CommandRun& run, const FoundToken& token) {
  if (!run.args.Has("--login")) return kContinue;
  std::string password;
  std::string error;
  if (!ObtainPassword(run.args, "--password", "Password: ", &password, &error)) {
    return UsageError(run, error);
  }
  const int result = TokenLogin(token.handle, password.c_str());
  WipePassword(&password);
  return result == 0 ? kContinue : ReportTokenFailure(run.output, "login");
}

JsonValue TokenFields(const FoundToken& token) {
  return JsonValue::Object().Set("uid", JsonValue::String(token.uid));
}

}  // namespace quill
