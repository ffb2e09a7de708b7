// quill keyinfo set: changes fields of the key information record.
#include <algorithm>

#include "command_support.h"
#include "commands.h"
#include "failure.h"
#include "hex_text.h"
#include "key_info.h"

namespace quill {
namespace {

const char kHelp[] =
    "usage: quill keyinfo set [--name TEXT] [--description TEXT] [--url TEXT]\n"
    "                         [--other TEXT] [--model-bytes HEX16]\n"
    "                         [--login [--password TEXT]]\n"
    "\n"
    "Changes fields of the key information record; fields not given keep their\n"
    "current value. The name takes up to 32 bytes, the description, url and\n"
    "other texts up to 64 bytes each, --model-bytes exactly 8 bytes as 16\n"
    "hexadecimal digits. 'quill info' shows the record.\n"
    "\n"
    "The token only takes a new record after its password was verified. With\n"
    "--login, quill asks for the password and logs in first; this is the usual\n"
    "way. Without it the token must still be logged in from an earlier\n"
    "'quill login'.\n";

struct TextField {
  const char* option;
  size_t maxBytes;
  std::string KeyInfo::*member;
};

const TextField kTextFields[] = {
    {"--name", kNameSize, &KeyInfo::name},
    {"--description", kDescriptionSize, &KeyInfo::description},
    {"--url", kUrlSize, &KeyInfo::url},
    {"--other", kOtherSize, &KeyInfo::other},
};

// Checks every field given before the token is touched.
int CheckFields(const CommandRun& run) {
  bool any = run.args.Has("--model-bytes");
  for (const TextField& field : kTextFields) {
    if (!run.args.Has(field.option)) continue;
    any = true;
    if (run.args.Value(field.option).size() > field.maxBytes) {
      return UsageError(run, std::string(field.option) + " takes at most " +
                                 std::to_string(field.maxBytes) + " bytes");
    }
  }
  if (run.args.Has("--model-bytes")) {
    std::vector<uint8_t> model;
    std::string error;
    if (!ParseHex(run.args.Value("--model-bytes"), kModelSize, &model, &error) ||
        model.size() != kModelSize) {
      return UsageError(run, "--model-bytes takes exactly 16 hexadecimal digits");
    }
  }
  if (!any) return UsageError(run, "nothing to change: give at least one field");
  return kContinue;
}

void ApplyFields(const ParsedArgs& args, KeyInfo* info) {
  for (const TextField& field : kTextFields) {
    if (args.Has(field.option)) (*info).*field.member = args.Value(field.option);
  }
  if (args.Has("--model-bytes")) {
    std::vector<uint8_t> model;
    std::string unused;
    ParseHex(args.Value("--model-bytes"), kModelSize, &model, &unused);
    std::copy(model.begin(), model.end(), info->model.begin());
  }
}

int RunSet(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand("keyinfo set", kHelp, args,
                            {{"--name", true},
                             {"--description", true},
                             {"--url", true},
                             {"--other", true},
                             {"--model-bytes", true},
                             {"--login", false},
                             {"--password", true}},
                            0, leading, &run);
  if (status != kContinue) return status;
  if ((status = CheckFields(run)) != kContinue) return status;
  run.changesToken = true;
  if ((status = CheckLoginOptions(run)) != kContinue) return status;
  FoundToken token;
  if ((status = SelectTokenFor(run, &token)) != kContinue) return status;
  if ((status = LoginIfAsked(run, token)) != kContinue) return status;

  KeyInfo info;
  if (ReadKeyInfo(token.handle, &info) != 0) {
    return ReportTokenFailure(run.output, "reading the key information");
  }
  ApplyFields(run.args, &info);
  if (WriteKeyInfo(token.handle, info) != 0) {
    return ReportTokenFailure(run.output, "writing the key information");
  }
  run.output.Success(TokenFields(token).Set("key_info", KeyInfoJson(info)),
                     "Key information written to token " + token.uid + ":\n" + KeyInfoText(info));
  return kExitSuccess;
}

}  // namespace

int RunKeyInfo(const CommandArgs& args, const GlobalOptions& leading) {
  if (!args.empty() && args[0] == "set") {
    return RunSet(CommandArgs(args.begin() + 1, args.end()), leading);
  }
  CommandRun run;
  const int status = StartCommand("keyinfo", kHelp, args, {}, 1, leading, &run);
  if (status != kContinue) return status;
  return UsageError(run, "set must follow 'keyinfo'");
}

}  // namespace quill
