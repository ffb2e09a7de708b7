// Replacing a file so that a crash leaves either the old or the new contents.
#pragma once

#include <string>

namespace quill {

// Writes text to a new temporary file in the folder of path, flushes it to
// disk, renames it over path and flushes the folder. On failure the old file
// is untouched, the temporary file is removed and *error says why.
bool ReplaceFileDurably(const std::string& path, const std::string& text, std::string* error);

// Reads the whole file. *missing is set (and false returned) when it does
// not exist; any other failure gives *error.
bool ReadWholeFile(const std::string& path, std::string* text, bool* missing, std::string* error);

}  // namespace quill
