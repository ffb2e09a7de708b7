#include "token_selection.h"

#include "error_codes.h"
#include "failure.h"

namespace quill {
namespace {

std::vector<TokenModel> ModelsToSearch(const std::optional<TokenModel>& model) {
  if (model) return {*model};
  return {TokenModel::kA, TokenModel::kB};
}

// After a failed find: a find that saw no device records "no token found";
// one whose devices all failed to give their UID leaves the store empty.
void NoteFailedFind(SearchNotes* notes) {
  if (notes != nullptr && TokenGetLastError() == kTokenOk) notes->unreadableDevice = true;
}

// After a UID that could not be read: answers that could not be read.
void NoteFailedUid(SearchNotes* notes) {
  if (notes == nullptr) return;
  for (int code : StoredErrorCodes()) {
    if (code == kErrAnswerDamaged || code == kErrAnswerMarker) notes->unreadableDevice = true;
  }
}

// Finds the tokens of one model and reads their UIDs at once; a token whose
// UID cannot be read any more is left out.
std::vector<FoundToken> FindModel(TokenModel model, int firstPosition,
                                  SearchNotes* notes = nullptr) {
  TokenHandle handles[kMaxTokens] = {};
  int count = 0;
  std::vector<FoundToken> found;
  if (TokenFind(model, handles, &count) != 0) {
    NoteFailedFind(notes);
    return found;
  }
  for (int i = 0; i < count && i < kMaxTokens; ++i) {
    char uid[kUidTextSize] = {};
    if (TokenGetUID(handles[i], uid) != 0) {
      NoteFailedUid(notes);
      continue;
    }
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

std::vector<FoundToken> ListTokens(const std::optional<TokenModel>& model, SearchNotes* notes) {
  std::vector<FoundToken> all;
  for (TokenModel each : ModelsToSearch(model)) {
    const std::vector<FoundToken> found = FindModel(each, static_cast<int>(all.size()), notes);
    all.insert(all.end(), found.begin(), found.end());
  }
  return all;
}

namespace {

std::string TokenCount(size_t count) {
  return std::to_string(count) + (count == 1 ? " token" : " tokens");
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The full UID of the token the options name, from a list of every token.
Selection ChooseUid(const GlobalOptions& globals, bool changesToken,
                    const std::vector<FoundToken>& all, std::string* uid, std::string* what) {
  if (!globals.uid.empty()) {
    std::vector<std::string> matches;
    for (const FoundToken& found : all) {
      if (StartsWith(found.uid, globals.uid)) matches.push_back(found.uid);
    }
    if (matches.empty()) {
      *what = globals.uid.size() == kUidTextSize - 1
                  ? "no token with UID " + globals.uid
                  : "no token whose UID starts with " + globals.uid;
      return Selection::kNoMatch;
    }
    if (matches.size() > 1) {
      *what = "--uid " + globals.uid + " fits " + TokenCount(matches.size()) + " (";
      for (size_t i = 0; i < matches.size(); ++i) *what += (i ? ", " : "") + matches[i];
      *what += "): give more of the UID";
      return Selection::kAmbiguous;
    }
    *uid = matches[0];
    return Selection::kSelected;
  }
  if (changesToken && all.size() > 1) {
    *what = TokenCount(all.size()) +
            " found: name the one to change with --uid UID (its first digits are enough "
            "when no other token's UID starts with them; 'quill list' shows the UIDs)";
    return Selection::kUidRequired;
  }
  if (static_cast<size_t>(globals.position) >= all.size()) {
    *what = "only " + TokenCount(all.size()) + " found, none at position " +
            std::to_string(globals.position);
    return Selection::kNoMatch;
  }
  *uid = all[static_cast<size_t>(globals.position)].uid;
  return Selection::kSelected;
}

}  // namespace

std::string NoTokenHint(const SearchNotes& notes) {
  if (!notes.unreadableDevice) return "";
  return "a device was found but its UID could not be read: the frame key (QUILL_FRAME_KEY) "
         "may differ from the token's";
}

Selection SelectToken(const GlobalOptions& globals, bool changesToken, FoundToken* token,
                      std::string* what, SearchNotes* notes) {
  // First every token, to see whether the options name exactly one; then a
  // fresh find of that token by its full UID, whose handle stays usable
  // because nothing is found after it.
  const std::vector<FoundToken> all = ListTokens(globals.model, notes);
  if (all.empty()) return Selection::kNoToken;
  std::string uid;
  const Selection chosen = ChooseUid(globals, changesToken, all, &uid, what);
  if (chosen != Selection::kSelected) return chosen;
  int total = 0;
  for (TokenModel model : ModelsToSearch(globals.model)) {
    for (const FoundToken& found : FindModel(model, total)) {
      if (found.uid == uid) {
        *token = found;
        return Selection::kSelected;
      }
      ++total;
    }
  }
  *what = "token " + uid + " is no longer found";
  return Selection::kNoMatch;
}

}  // namespace quill
