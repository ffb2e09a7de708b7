// A tiny command-line parser: named options (with or without a value, the
// value either as the next argument or after "=") and positional words.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quill {

struct OptionSpec {
  std::string name;  // with its leading "--"
  bool takesValue = false;
};

class ParsedArgs {
 public:
  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  // The option's value; empty when it was not given or takes no value.
  std::string Value(const std::string& name) const;
  const std::vector<std::string>& Positionals() const { return positionals_; }

 private:
  friend bool ParseArgs(const std::vector<std::string>&, const std::vector<OptionSpec>&,
                        ParsedArgs*, std::string*);
  std::map<std::string, std::string> values_;
  std::vector<std::string> positionals_;
};

// Parses args against specs. An unknown option, a missing value, a value
// given to a flag or an option given twice is an error. "--" ends the
// options; every later word is positional.
bool ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs* parsed, std::string* error);

// A whole number in decimal, or hexadecimal with "0x", between min and max.
bool ParseNumber(const std::string& text, int64_t min, int64_t max, int64_t* value);

}  // namespace quill
