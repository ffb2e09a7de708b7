// Finding tokens and picking the one the global options name.
//
// Every TokenFind closes the devices of the one before, so a handle is only
// good until the next find: each model's UIDs are read right after its find,
// and a picked token's handle stays usable because nothing is found after it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "global_options.h"
#include "token.h"

namespace quill {

struct FoundToken {
  int position = 0;  // in the list: model A's tokens first, then model B's
  TokenModel model = TokenModel::kA;
  std::string uid;
  TokenHandle handle = 0;  // valid until the next TokenFind
};

// Every token of the model, or of both models (A first) when none is given.
std::vector<FoundToken> ListTokens(const std::optional<TokenModel>& model);

enum class Selection { kSelected, kNoToken, kNoMatch };

// Finds the token named by --token or --uid among the tokens of --model (or
// both models). kNoMatch sets what to say ("no token with UID ...").
Selection SelectToken(const GlobalOptions& globals, FoundToken* token, std::string* what);

}  // namespace quill
