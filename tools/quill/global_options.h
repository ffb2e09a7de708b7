// The options every command takes: output form and which token to use.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli_args.h"
#include "token.h"

namespace quill {

struct GlobalOptions {
  bool json = false;
  std::optional<TokenModel> model;  // none: model A, then model B
  int position = 0;                 // --token: position in the list
  bool positionGiven = false;
  std::string uid;  // --uid (the UID or its first digits), lower case; empty: by position
};

// --json, --model A|B, --token N, --uid UID.
std::vector<OptionSpec> GlobalOptionSpecs();

// Applies the global options found in parsed on top of globals; false with a
// message for a bad value, or for --token together with --uid.
bool ApplyGlobalOptions(const ParsedArgs& parsed, GlobalOptions* globals, std::string* error);

const char* ModelLetter(TokenModel model);

// The lines of help text that describe the global options.
const char* GlobalOptionsHelp();

}  // namespace quill
