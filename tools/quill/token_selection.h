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

// What a search saw besides the tokens it found.
struct SearchNotes {
  // A device was found but its UID could not be read (its answers were
  // damaged, had the wrong marker, or did not come): the usual sign of a
  // frame key that differs from the token's.
  bool unreadableDevice = false;
};

// Every token of the model, or of both models (A first) when none is given.
std::vector<FoundToken> ListTokens(const std::optional<TokenModel>& model,
                                   SearchNotes* notes = nullptr);

// The hint that goes with "no token found" after such a search ("" for none).
std::string NoTokenHint(const SearchNotes& notes);

enum class Selection {
  kSelected,
  kNoToken,      // no token at all
  kNoMatch,      // none at the position, or none with the UID (prefix)
  kAmbiguous,    // the UID prefix fits more than one token
  kUidRequired,  // a change with more than one token present, named by position
};

// Finds the token named by --uid (its UID or a prefix that fits one token
// only) or --token (position) among the tokens of --model (or both models).
// A command that changes the token (changesToken) must name it by --uid when
// more than one token is present: positions shift when a token goes away,
// and a change must never land on another token than the one meant. Any
// result but kSelected sets what to say.
Selection SelectToken(const GlobalOptions& globals, bool changesToken, FoundToken* token,
                      std::string* what, SearchNotes* notes = nullptr);

}  // namespace quill
