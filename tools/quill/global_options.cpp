#include "global_options.h"

namespace quill {
namespace {

// Both models together hold at most 2 * 32 tokens.
constexpr int64_t kLastPosition = 2 * kMaxTokens - 1;
constexpr size_t kUidLength = kUidTextSize - 1;

// The UID, or its first digits (1 to 32 hexadecimal digits), in lower case.
bool ParseUid(const std::string& text, std::string* uid) {
  if (text.empty() || text.size() > kUidLength) return false;
  std::string lower;
  for (char c : text) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    lower += c;
  }
  *uid = lower;
  return true;
}

}  // namespace

std::vector<OptionSpec> GlobalOptionSpecs() {
  return {{"--json", false}, {"--model", true}, {"--token", true}, {"--uid", true}};
}

bool ApplyGlobalOptions(const ParsedArgs& parsed, GlobalOptions* globals, std::string* error) {
  if (parsed.Has("--json")) globals->json = true;
  if (parsed.Has("--model")) {
    const std::string model = parsed.Value("--model");
    if (model == "A" || model == "a") {
      globals->model = TokenModel::kA;
    } else if (model == "B" || model == "b") {
      globals->model = TokenModel::kB;
    } else {
      *error = "--model takes A or B, not '" + model + "'";
      return false;
    }
  }
  if (parsed.Has("--token")) {
    int64_t position = 0;
    if (!ParseNumber(parsed.Value("--token"), 0, kLastPosition, &position)) {
      *error = "--token takes a position from 0 to " + std::to_string(kLastPosition);
      return false;
    }
    globals->position = static_cast<int>(position);
    globals->positionGiven = true;
  }
  if (parsed.Has("--uid") && !ParseUid(parsed.Value("--uid"), &globals->uid)) {
    *error =
        "--uid takes the 32 hexadecimal digits that 'quill list' shows, or their first "
        "digits";
    return false;
  }
  if (globals->positionGiven && !globals->uid.empty()) {
    *error = "--token and --uid cannot be used together";
    return false;
  }
  return true;
}

const char* ModelLetter(TokenModel model) {
  return model == TokenModel::kA ? "A" : "B";
}

const char* GlobalOptionsHelp() {
  return "Global options (before or after the command):\n"
         "  --json         print the result as one JSON object\n"
         "  --model A|B    use tokens of this model only (default: model A, then B)\n"
         "  --token N      the token at position N of 'quill list' (default 0)\n"
         "  --uid UID      the token with this UID, or whose UID starts with these digits\n"
         "                 (a command that changes a token needs it when there are\n"
         "                 several tokens)\n";
}

}  // namespace quill
