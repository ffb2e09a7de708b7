// quill: a command-line tool for the holder of a Quill token.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_args.h"
#include "commands.h"
#include "failure.h"
#include "global_options.h"
#include "output.h"

namespace quill {
namespace {

using CommandFunction = int (*)(const CommandArgs&, const GlobalOptions&);

struct Command {
  const char* name;
  const char* summary;
  CommandFunction run;  // null for vtoken, which takes its arguments as they are
};

const Command kCommands[] = {
    {"list", "list the tokens of both models", RunList},
    {"info", "show a token's identity, version and key information", RunInfo},
    {"login", "verify the token's password", RunLogin},
    {"change-password", "change the token's password", RunChangePassword},
    {"logout", "end the logged-in state", RunLogout},
    {"storage", "read or write the user storage, secure storage or memory", RunStorage},
    {"keyinfo", "change the key information record", RunKeyInfo},
    {"encrypt", "encrypt data inside the token", RunEncrypt},
    {"decrypt", "decrypt data inside the token", RunDecrypt},
    {"sha1", "SHA-1 over a seed held by the token and data", RunSha1},
    {"vtoken", "run virtual tokens (see 'quill vtoken --help')", nullptr},
};

std::string Usage() {
  std::string text =
      "usage: quill [GLOBAL OPTIONS] COMMAND [ARGUMENTS]\n"
      "\n"
      "Commands:\n";
  for (const Command& command : kCommands) {
    std::string name = command.name;
    name.resize(18, ' ');
    text += "  " + name + command.summary + "\n";
  }
  text +=
      "\n'quill COMMAND --help' describes a command. Exit status: 0 on success, 1 when\n"
      "a token operation (or writing the output) failed, 2 for a bad command line.\n"
      "\n"
      "Options:\n"
      "  -h, --help     show this text\n"
      "  --version      show the version of quill\n\n";
  return text + GlobalOptionsHelp();
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

// The global options before the command word: every word that starts with
// "--", with the value of an option that takes one.
size_t LeadingOptionCount(const std::vector<std::string>& args) {
  size_t i = 0;
  while (i < args.size() && args[i].rfind("--", 0) == 0 && args[i] != "--") {
    const std::string name = args[i].substr(0, args[i].find('='));
    bool takesValue = false;
    for (const OptionSpec& spec : GlobalOptionSpecs()) {
      if (spec.name == name) takesValue = spec.takesValue;
    }
    i += takesValue && name == args[i] ? 2 : 1;
  }
  return i < args.size() ? i : args.size();
}

int Run(const std::vector<std::string>& args) {
  const size_t leadingCount = LeadingOptionCount(args);
  const std::vector<std::string> leadingWords(args.begin(), args.begin() + leadingCount);
  std::vector<OptionSpec> specs = GlobalOptionSpecs();
  specs.push_back({"--help", false});
  specs.push_back({"--version", false});
  ParsedArgs parsed;
  GlobalOptions globals;
  std::string error;
  if (!ParseArgs(leadingWords, specs, &parsed, &error) ||
      !ApplyGlobalOptions(parsed, &globals, &error)) {
    return ReportUsageError(Output(globals.json), "", error);
  }
  if (parsed.Has("--help")) {
    std::fputs(Usage().c_str(), stdout);
    return kExitSuccess;
  }
  if (parsed.Has("--version")) {
    std::printf("quill %s\n", QUILL_VERSION);
    return kExitSuccess;
  }
  if (leadingCount == args.size()) {
    return ReportUsageError(Output(globals.json), "", "no command given");
  }

  std::string name = args[leadingCount];
  CommandArgs rest(args.begin() + leadingCount + 1, args.end());
  if (name == "-h") {
    std::fputs(Usage().c_str(), stdout);
    return kExitSuccess;
  }
  if (name == "help") {
    if (rest.empty()) {
      std::fputs(Usage().c_str(), stdout);
      return kExitSuccess;
    }
    name = rest[0];
    rest = {"--help"};
  }
  const Command* command = FindCommand(name);
  if (command == nullptr) {
    return ReportUsageError(Output(globals.json), "", "unknown command '" + name + "'");
  }
  if (command->run == nullptr) return RunVtoken(rest);
  return command->run(rest, globals);
}

}  // namespace
}  // namespace quill

int main(int argc, char** argv) {
  const int status = quill::Run(std::vector<std::string>(argv + 1, argv + argc));
  return quill::FinishStandardOutput(status);
}
