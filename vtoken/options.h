// The command line of quill-vtoken.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "token_setup.h"

namespace quill {

struct VtokenOptions {
  std::vector<TokenSpec> tokens;  // never empty after a successful parse
  // For each token, the token options given on the command line ("--password", ...).
  std::vector<std::vector<std::string>> settingsGiven;
  bool control = false;
  uint16_t controlPort = 0;
  std::string readyFile;
  std::string stateFile;  // empty: the state lives only in memory
  bool help = false;
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after "="; false with a message on a bad command line.
bool ParseVtokenOptions(const std::vector<std::string>& args, VtokenOptions* options,
                        std::string* error);

std::string VtokenUsage();

}  // namespace quill
