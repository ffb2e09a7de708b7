// Failure reports: exactly one line on standard error (plus a usage hint for
// usage errors) and, with --json, the error object on standard output.
#pragma once

#include <string>
#include <vector>

#include "output.h"

namespace quill {

constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;  // a token operation (or the output after it) failed
constexpr int kExitUsage = 2;

// Every code in the library's error store, oldest (the root cause) first.
std::vector<int> StoredErrorCodes();

// "quill: login failed: 522 token status word 0x6982 (...) [codes 522 53 104]":
// the root cause code with its meaning, then every stored code.
std::string TokenFailureLine(const std::string& what, int root, const std::vector<int>& codes);

// A failed library operation, described from the error store. Returns kExitFailed.
int ReportTokenFailure(const Output& output, const std::string& what);
// No token to work with ("no token found", "no token at position 3"):
// reported as code 84. Returns kExitFailed.
int ReportNoToken(const Output& output, const std::string& what);
// A failure that is not the token's (an output file that cannot be written).
// Returns kExitFailed.
int ReportFailure(const Output& output, const std::string& message);
// A bad command line or input; command names the --help to point at (empty:
// the tool's). Returns kExitUsage.
int ReportUsageError(const Output& output, const std::string& command, const std::string& message);

}  // namespace quill
