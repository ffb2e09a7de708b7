#include "registry/registry_script.h"

#include <cwctype>

namespace quill {
namespace {

// Blocks nest once per key level; real scripts use a handful. Deeper ones are
// refused rather than read by a recursion that could run out of stack.
constexpr int kMaxBlockDepth = 64;

struct Token {
  std::wstring text;
  bool quoted = false;
};

bool SameWord(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != L'\0'; ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return i == a.size() && b[i] == L'\0';
}

class ScriptReader {
 public:
  ScriptReader(const std::wstring& script, const ScriptReplacements& replacements)
      : script_(script), replacements_(replacements) {}

  RegistryScriptResult Read() {
    RegistryScriptResult result;
    Token token;
    while (error_.empty() && Next(&token)) {
      RegistryTree tree;
      tree.root = token.text;
      if (!Expect(L"{")) break;
      ReadKeys(&tree.keys, nullptr, 1);
      result.trees.push_back(std::move(tree));
    }
    result.ok = error_.empty();
    result.error = error_;
    if (!result.ok) result.trees.clear();
    return result;
  }

 private:
  // Keys up to and including the closing brace of their block, the depth-th
  // block from the root.
  void ReadKeys(std::vector<RegistryKey>* keys, RegistryKey* owner, int depth) {
    if (depth > kMaxBlockDepth) {
      Fail(L"blocks are nested more than 64 deep");
      return;
    }
    Token token;
    while (error_.empty()) {
      if (!Next(&token)) {
        Fail(L"a block is not closed");
        return;
      }
      if (!token.quoted && token.text == L"}") return;
      if (!token.quoted && SameWord(token.text, L"val")) {
        if (owner == nullptr) {
          Fail(L"a value outside a key");
          return;
        }
        RegistryNamedValue value;
        if (!NextName(&value.name) || !Expect(L"=") || !ReadData(&value.data)) return;
        owner->values.push_back(std::move(value));
        continue;
      }
      RegistryKey key;
      if (!token.quoted && SameWord(token.text, L"NoRemove")) {
        key.removal = KeyRemoval::kNoRemove;
      } else if (!token.quoted && SameWord(token.text, L"ForceRemove")) {
        key.removal = KeyRemoval::kForceRemove;
      } else if (!token.quoted && SameWord(token.text, L"Delete")) {
        key.removal = KeyRemoval::kDelete;
      }
      if (key.removal == KeyRemoval::kIfEmpty) {
        key.name = token.text;
      } else if (!NextName(&key.name)) {
        return;
      }
      if (key.name.empty()) {
        Fail(L"a key without a name");
        return;
      }
      // Optional default value, then an optional block.
      if (Peek(L"=")) {
        Next(&token);
        key.hasDefault = true;
        if (!ReadData(&key.defaultValue)) return;
      }
      if (Peek(L"{")) {
        Next(&token);
        ReadKeys(&key.subkeys, &key, depth + 1);
      }
      keys->push_back(std::move(key));
    }
  }

  bool ReadData(RegistryData* data) {
    Token type;
    Token value;
    if (!Next(&type) || !Next(&value)) return Fail(L"a value is cut short");
    if (!type.quoted && SameWord(type.text, L"s")) {
      data->text = value.text;
      return true;
    }
    if (!type.quoted && SameWord(type.text, L"d")) {
      if (!ParseNumber(value.text, &data->number)) return Fail(L"not a number: " + value.text);
      data->isNumber = true;
      return true;
    }
    return Fail(L"unknown value type: " + type.text);
  }

  // Decimal, or hexadecimal after 0x; up to 32 bits.
  static bool ParseNumber(const std::wstring& text, uint32_t* number) {
    uint64_t value = 0;
    size_t i = 0;
    uint64_t base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
      base = 16;
      i = 2;
    }
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
      const wchar_t c = text[i];
      uint64_t digit = 0;
      if (c >= L'0' && c <= L'9') {
        digit = static_cast<uint64_t>(c - L'0');
      } else if (base == 16 && std::iswxdigit(c)) {
        digit = static_cast<uint64_t>(std::towlower(c) - L'a' + 10);
      } else {
        return false;
      }
      value = value * base + digit;
      if (value > 0xFFFFFFFFu) return false;
    }
    *number = static_cast<uint32_t>(value);
    return true;
  }

  bool NextName(std::wstring* name) {
    Token token;
    if (!Next(&token)) return Fail(L"a name is missing");
    if (!token.quoted && (token.text == L"{" || token.text == L"}" || token.text == L"=")) {
      return Fail(L"a name is missing before " + token.text);
    }
    *name = token.text;
    return true;
  }

  bool Expect(const wchar_t* word) {
    Token token;
    if (Next(&token) && !token.quoted && token.text == word) return true;
    return Fail(std::wstring(L"expected ") + word);
  }

  bool Peek(const wchar_t* word) {
    const size_t saved = position_;
    Token token;
    const bool found = Next(&token) && !token.quoted && token.text == word;
    position_ = saved;
    return found;
  }

  bool Next(Token* token) {
    while (position_ < script_.size() && std::iswspace(script_[position_])) ++position_;
    if (position_ >= script_.size()) return false;
    std::wstring raw;
    token->quoted = script_[position_] == L'\'';
    if (token->quoted) {
      ++position_;
      for (;;) {
        if (position_ >= script_.size()) return Fail(L"a quoted text is not closed");
        const wchar_t c = script_[position_++];
        if (c == L'\'') {
          if (position_ < script_.size() && script_[position_] == L'\'') {
            raw += L'\'';
            ++position_;
            continue;
          }
          break;
        }
        raw += c;
      }
    } else {
      while (position_ < script_.size() && !std::iswspace(script_[position_])) {
        raw += script_[position_++];
      }
    }
    return Replace(raw, &token->text);
  }

  bool Replace(const std::wstring& raw, std::wstring* text) {
    text->clear();
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != L'%') {
        *text += raw[i];
        continue;
      }
      const size_t end = raw.find(L'%', i + 1);
      if (end == std::wstring::npos) return Fail(L"a replacement is not closed: " + raw);
      const std::wstring name = raw.substr(i + 1, end - i - 1);
      if (name.empty()) {
        *text += L'%';
      } else {
        const std::wstring* value = Lookup(name);
        if (value == nullptr) return Fail(L"unknown replacement: " + name);
        *text += *value;
      }
      i = end;
    }
    return true;
  }

  const std::wstring* Lookup(const std::wstring& name) const {
    for (const auto& replacement : replacements_) {
      if (SameWord(name, replacement.first.c_str())) return &replacement.second;
    }
    return nullptr;
  }

  bool Fail(const std::wstring& what) {
    if (error_.empty()) error_ = what;
    return false;
  }

  const std::wstring& script_;
  const ScriptReplacements& replacements_;
  size_t position_ = 0;
  std::wstring error_;
};

}  // namespace

RegistryScriptResult ParseRegistryScript(const std::wstring& script,
                                         const ScriptReplacements& replacements) {
  return ScriptReader(script, replacements).Read();
}

}  // namespace quill
