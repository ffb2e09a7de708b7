// The data a command works on (--text, --hex or --in FILE) and the files it
// writes (--out FILE).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli_args.h"

namespace quill {

// Exactly one of --text TEXT, --hex HEX or --in FILE, at most maxBytes
// bytes; false with a message otherwise.
bool ReadInputData(const ParsedArgs& args, size_t maxBytes, std::vector<uint8_t>* data,
                   std::string* error);

// The whole file, when it holds at most maxBytes bytes (never reads more
// than one byte beyond that, whatever the file claims to be).
bool ReadFileLimited(const std::string& path, size_t maxBytes, std::vector<uint8_t>* data,
                     std::string* error);

// Replaces the file with data. A new file is readable by its owner only, as
// it may hold decrypted or secure-storage data.
bool WriteDataFile(const std::string& path, const std::vector<uint8_t>& data, std::string* error);

}  // namespace quill
