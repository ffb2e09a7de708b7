// Passwords: typed at the terminal without echo, or one line of standard
// input when that is not a terminal (for scripts), or given on the command
// line with a warning.
#pragma once

#include <string>

#include "cli_args.h"

namespace quill {

// Reads one password. On a terminal the prompt goes to standard error and
// echo is off while typing (restored also when interrupted by a signal);
// otherwise one line is read from standard input without a prompt. False,
// with a message, at end of input, for an empty password, one with a zero
// byte, or one longer than the token takes (64 bytes).
bool ReadPassword(const std::string& prompt, std::string* password, std::string* error);

// The value of option (e.g. "--password") when given, after a warning on
// standard error that command-line passwords are visible to other users;
// else ReadPassword(prompt).
bool ObtainPassword(const ParsedArgs& args, const std::string& option, const std::string& prompt,
                    std::string* password, std::string* error);

// Overwrites the password's bytes and empties it.
void WipePassword(std::string* password);

}  // namespace quill
