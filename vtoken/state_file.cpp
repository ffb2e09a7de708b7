#include "state_file.h"

#include <cstdint>
#include <set>
#include <vector>

#include "config.h"
#include "crypto/md5.h"
#include "hex.h"

namespace quill {
namespace {

const char kHeader[] = "quill-vtoken-state";
const char kVersion[] = "1";
const char kChecksumWord[] = "checksum";
const char kTokenWord[] = "token";
constexpr int kMaxTokenId = 65535;

struct Item {
  const char* name;
  size_t size;
  uint8_t* (*bytes)(StoredTokenState& state);
};

using S = StoredTokenState;
const Item kItems[] = {
    {"uid", sizeof(S::uid), [](S& s) { return s.uid.data(); }},
    {"password", sizeof(S::password), [](S& s) { return s.password.data(); }},
    {"keyinfo", sizeof(S::keyInfo), [](S& s) { return s.keyInfo.data(); }},
    {"user", sizeof(S::userStorage), [](S& s) { return s.userStorage.data(); }},
    {"secure", sizeof(S::secureStorage), [](S& s) { return s.secureStorage.data(); }},
    {"memory", sizeof(S::memory), [](S& s) { return s.memory.data(); }},
    {"seed0", kSeedSize, [](S& s) { return s.seeds[0].data(); }},
    {"seed1", kSeedSize, [](S& s) { return s.seeds[1].data(); }},
    {"cipherkey0", sizeof(DesBlock), [](S& s) { return s.cipherKeys[0].data(); }},
    {"cipherkey1", sizeof(DesBlock), [](S& s) { return s.cipherKeys[1].data(); }},
    {"resetkey", sizeof(S::resetKey), [](S& s) { return s.resetKey.data(); }},
    {"version", sizeof(S::versionText), [](S& s) { return s.versionText.data(); }},
    {"identity", sizeof(S::identity), [](S& s) { return s.identity.data(); }},
    {"requestenabled", sizeof(S::requestEnabled), [](S& s) { return &s.requestEnabled; }},
    {"usagetag", sizeof(S::usageTag), [](S& s) { return s.usageTag.data(); }},
    {"remotevalues", sizeof(S::remoteValues), [](S& s) { return s.remoteValues.data(); }},
};
constexpr size_t kItemCount = sizeof(kItems) / sizeof(kItems[0]);

std::string ChecksumOf(const std::string& text, size_t length) {
  uint8_t digest[kMd5DigestSize];
  Md5Digest(reinterpret_cast<const uint8_t*>(text.data()), length, digest);
  return HexEncode(digest, sizeof(digest));
}

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  size_t start = 0;
  for (;;) {
    const size_t space = line.find(' ', start);
    words.push_back(line.substr(start, space - start));
    if (space == std::string::npos) return words;
    start = space + 1;
  }
}

bool ParseTokenId(const std::string& text, int* id) {
  if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxTokenId) return false;
  *id = value;
  return true;
}

const Item* FindItem(const std::string& name, size_t* index) {
  for (size_t i = 0; i < kItemCount; ++i) {
    if (name == kItems[i].name) {
      *index = i;
      return &kItems[i];
    }
  }
  return nullptr;
}

class Parser {
 public:
  Parser(StoredStates* states, StateFileError* error) : states_(states), error_(error) {}

  bool Parse(const std::string& text) {
    if (text.empty() || text.back() != '\n') {
      return Fail(LineCount(text), text.empty() ? "the file is empty" : "the last line is cut off");
    }
    size_t start = 0;
    int number = 0;
    while (start < text.size()) {
      const size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end - start);
      ++number;
      const bool last = end + 1 == text.size();
      if (number == 1) {
        if (!ParseHeader(line)) return false;
      } else if (last) {
        if (!ParseChecksum(line, number, text, start)) return false;
      } else if (!ParseEntry(line, number)) {
        return false;
      }
      start = end + 1;
    }
    if (number < 2) return Fail(number, "the checksum line is missing");
    return CheckComplete();
  }

 private:
  static int LineCount(const std::string& text) {
    int lines = 1;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    return lines;
  }

  bool Fail(int line, const std::string& message) {
    error_->line = line;
    error_->message = message;
    return false;
  }

  bool ParseHeader(const std::string& line) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.size() != 2 || words[0] != kHeader) {
      return Fail(1, "not a quill-vtoken state file");
    }
    if (words[1] != kVersion) return Fail(1, "unsupported version \"" + words[1] + "\"");
    return true;
  }

  bool ParseEntry(const std::string& line, int number) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.size() != 4 || words[0] != kTokenWord) {
      return Fail(number, "expected \"token ID ITEM HEX\"");
    }
    int id = 0;
    if (!ParseTokenId(words[1], &id)) return Fail(number, "bad token id \"" + words[1] + "\"");
    size_t index = 0;
    const Item* item = FindItem(words[2], &index);
    if (item == nullptr) return Fail(number, "unknown item \"" + words[2] + "\"");
    if (!seen_[id].insert(index).second) {
      return Fail(number, "item " + words[2] + " of token " + words[1] + " is given twice");
    }
    if (firstLine_.count(id) == 0) firstLine_[id] = number;
    if (words[3].size() != 2 * item->size ||
        !ParseHexKey(words[3], item->bytes((*states_)[id]), item->size)) {
      return Fail(number, "item " + words[2] + " needs " + std::to_string(2 * item->size) +
                              " hexadecimal digits");
    }
    return true;
  }

  bool ParseChecksum(const std::string& line, int number, const std::string& text,
                     size_t checkedLength) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.size() != 2 || words[0] != kChecksumWord) {
      return Fail(number, "expected the checksum line last");
    }
    if (words[1] != ChecksumOf(text, checkedLength)) {
      return Fail(number, "the checksum does not match the contents");
    }
    return true;
  }

  bool CheckComplete() {
    for (const auto& [id, items] : seen_) {
      if (items.size() == kItemCount) continue;
      for (size_t i = 0; i < kItemCount; ++i) {
        if (items.count(i) == 0) {
          return Fail(firstLine_[id],
                      "token " + std::to_string(id) + " has no " + kItems[i].name + " item");
        }
      }
    }
    return true;
  }

  StoredStates* states_;
  StateFileError* error_;
  std::map<int, std::set<size_t>> seen_;
  std::map<int, int> firstLine_;
};

}  // namespace

std::string FormatStateFile(const StoredStates& states) {
  std::string text = std::string(kHeader) + " " + kVersion + "\n";
  for (const auto& [id, state] : states) {
    StoredTokenState copy = state;
    for (const Item& item : kItems) {
      text += std::string(kTokenWord) + " " + std::to_string(id) + " " + item.name + " " +
              HexEncode(item.bytes(copy), item.size) + "\n";
    }
  }
  text += std::string(kChecksumWord) + " " + ChecksumOf(text, text.size()) + "\n";
  return text;
}

bool ParseStateFile(const std::string& text, StoredStates* states, StateFileError* error) {
  StoredStates parsed;
  if (!Parser(&parsed, error).Parse(text)) return false;
  *states = std::move(parsed);
  return true;
}

}  // namespace quill
