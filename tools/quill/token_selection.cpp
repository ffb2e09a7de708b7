#include "token_selection.h"

namespace quill {
namespace {

std::vector<TokenModel> ModelsToSearch(const std::optional<TokenModel>& model) {
  if (model) return {*model};
  return {TokenModel::kA, TokenModel::kB};
}

// Finds the tokens of one model and reads their UIDs at once; a token whose
// UID cannot be read any more is left out.
std::vector<FoundToken> FindModel(TokenModel model, int firstPosition) {
  TokenHandle handles[kMaxTokens] = {};
  int count = 0;
  std::vector<FoundToken> found;
  if (TokenFind(model, handles, &count) != 0) return found;
  for (int i = 0; i < count && i < kMaxTokens; ++i) {
    char uid[kUidTextSize] = {};
    if (TokenGetUID(handles[i], uid) != 0) continue;
    FoundToken token;
    token.position = firstPosition + static_cast<int>(found.size());
    token.model = model;
    token.uid = uid;
    token.handle = handles[i];
    found.push_back(token);
  }
  return found;
}

}  // namespace

std::vector<FoundToken> ListTokens(const std::optional<TokenModel>& model) {
  std::vector<FoundToken> all;
  for (TokenModel each : ModelsToSearch(model)) {
    const std::vector<FoundToken> found = FindModel(each, static_cast<int>(all.size()));
    all.insert(all.end(), found.begin(), found.end());
  }
  return all;
}

Selection SelectToken(const GlobalOptions& globals, FoundToken* token, std::string* what) {
  int total = 0;
  for (TokenModel model : ModelsToSearch(globals.model)) {
    // Stops at the first match, before another find could close its device.
    for (const FoundToken& found : FindModel(model, total)) {
      const bool match =
          globals.uid.empty() ? found.position == globals.position : found.uid == globals.uid;
      if (match) {
        *token = found;
        return Selection::kSelected;
      }
      ++total;
    }
  }
  if (total == 0) return Selection::kNoToken;
  const std::string tokens = std::to_string(total) + (total == 1 ? " token" : " tokens");
  *what = globals.uid.empty()
              ? "only " + tokens + " found, none at position " + std::to_string(globals.position)
              : "no token with UID " + globals.uid;
  return Selection::kNoMatch;
}

}  // namespace quill
