// The words of the process's command line, split as the C runtime splits
// them (argv[0] included).
#pragma once

#include <string>
#include <vector>

namespace quill {

// Empty when the command line cannot be split.
std::vector<std::wstring> CommandLineArguments();

}  // namespace quill
