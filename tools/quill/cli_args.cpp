#include "cli_args.h"

namespace quill {
namespace {

const OptionSpec* FindSpec(const std::vector<OptionSpec>& specs, const std::string& name) {
  for (const OptionSpec& spec : specs) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::string ParsedArgs::Value(const std::string& name) const {
  const auto found = values_.find(name);
  return found == values_.end() ? std::string() : found->second;
}

bool ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs* parsed, std::string* error) {
  *parsed = ParsedArgs();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--") {
      parsed->positionals_.insert(parsed->positionals_.end(), args.begin() + i + 1, args.end());
      break;
    }
    if (word.size() < 2 || word[0] != '-' || word == "-") {
      parsed->positionals_.push_back(word);
      continue;
    }
    const size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const OptionSpec* spec = FindSpec(specs, name);
    if (spec == nullptr) {
      *error = "unknown option " + name;
      return false;
    }
    if (parsed->Has(name)) {
      *error = "option " + name + " given twice";
      return false;
    }
    std::string value;
    if (spec->takesValue) {
      if (equals != std::string::npos) {
        value = word.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        *error = "option " + name + " needs a value";
        return false;
      }
    } else if (equals != std::string::npos) {
      *error = "option " + name + " takes no value";
      return false;
    }
    parsed->values_[name] = value;
  }
  return true;
}

bool ParseNumber(const std::string& text, int64_t min, int64_t max, int64_t* value) {
  int base = 10;
  size_t start = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    start = 2;
  }
  if (start >= text.size()) return false;
  int64_t result = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return false;
    if (result > (max - digit) / base) return false;  // checked before it could overflow
    result = result * base + digit;
    if (result > max) return false;
  }
  if (result < min) return false;
  *value = result;
  return true;
}

}  // namespace quill
