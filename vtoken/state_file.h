// The text form of the tokens' stored state:
//
//   quill-vtoken-state 1
//   token 0 uid 00070e15...
//   token 0 password 25d55ad2...
//   ...
//   checksum 9e107d9d372bb6826bd81d3542a419d6
//
// One line per token and item, the value in lower-case hex; the checksum is
// MD5 in hex over every byte before the checksum line.
#pragma once

#include <map>
#include <string>

#include "token_state.h"

namespace quill {

using StoredStates = std::map<int, StoredTokenState>;  // by token id

std::string FormatStateFile(const StoredStates& states);

struct StateFileError {
  int line = 0;  // 1-based
  std::string message;
};

// Parses the whole text; false with the line and the reason when it is not a
// complete state file or its checksum does not match.
bool ParseStateFile(const std::string& text, StoredStates* states, StateFileError* error);

}  // namespace quill
