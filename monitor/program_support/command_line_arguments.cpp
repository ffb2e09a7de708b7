#include "command_line_arguments.h"

#include <windows.h>
// windows.h first: shellapi.h builds on its types.
#include <shellapi.h>

namespace quill {

std::vector<std::wstring> CommandLineArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  if (argv != nullptr) {
    for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
  }
  return args;
}

}  // namespace quill
