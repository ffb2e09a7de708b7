// The commands of quill. Each takes the words after its name and the global
// options given before it, and returns the exit status.
#pragma once

#include <string>
#include <vector>

#include "global_options.h"

namespace quill {

using CommandArgs = std::vector<std::string>;

int RunList(const CommandArgs& args, const GlobalOptions& leading);
int RunInfo(const CommandArgs& args, const GlobalOptions& leading);
int RunLogin(const CommandArgs& args, const GlobalOptions& leading);
int RunChangePassword(const CommandArgs& args, const GlobalOptions& leading);
int RunLogout(const CommandArgs& args, const GlobalOptions& leading);
int RunStorage(const CommandArgs& args, const GlobalOptions& leading);
int RunKeyInfo(const CommandArgs& args, const GlobalOptions& leading);
int RunEncrypt(const CommandArgs& args, const GlobalOptions& leading);
int RunDecrypt(const CommandArgs& args, const GlobalOptions& leading);
int RunSha1(const CommandArgs& args, const GlobalOptions& leading);
// Runs the virtual token program in this process with args unchanged.
int RunVtoken(const CommandArgs& args);

}  // namespace quill
