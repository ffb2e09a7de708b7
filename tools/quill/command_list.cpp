// quill list: every token of both models with its position and UID.
#include "command_support.h"
#include "commands.h"
#include "failure.h"

namespace quill {
namespace {

const char kHelp[] =
    "usage: quill list\n"
    "\n"
    "Lists the tokens of model A, then of model B (only one model with --model):\n"
    "the position that --token takes, the model and the UID that --uid takes.\n";

}  // namespace

int RunList(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  const int started = StartCommand("list", kHelp, args, {}, 0, leading, &run);
  if (started != kContinue) return started;
  if (run.globals.positionGiven || !run.globals.uid.empty()) {
    return UsageError(run, "--token and --uid pick one token; list shows them all");
  }

  SearchNotes notes;
  const std::vector<FoundToken> tokens = ListTokens(run.globals.model, &notes);
  if (tokens.empty()) return ReportNoToken(run.output, "no token found", NoTokenHint(notes));

  JsonValue list = JsonValue::Array();
  std::string text = "POSITION  MODEL  UID\n";
  for (const FoundToken& token : tokens) {
    list.Append(JsonValue::Object()
                    .Set("position", JsonValue::Number(token.position))
                    .Set("model", JsonValue::String(ModelLetter(token.model)))
                    .Set("uid", JsonValue::String(token.uid)));
    std::string position = std::to_string(token.position);
    position.resize(10, ' ');
    text += position + ModelLetter(token.model) + "      " + token.uid + "\n";
  }
  run.output.Success(JsonValue::Object().Set("tokens", list), text);
  return kExitSuccess;
}

}  // namespace quill
