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

// What the codes of a failure say in plain words, for the common states (a
// wrong password, a locked token, no login, a refused access key); empty
// for the others.
std::string ReadableState(const std::vector<int>& codes);

// "quill: login failed: wrong password (...): 522 token status word 0x6982
// (...) [codes 522 53 104]": the plain words when there are any, the root
// cause code with its meaning, then every stored code.
std::string TokenFailureLine(const std::string& what, int root, const std::vector<int>& codes);

// A failed library operation, described from the error store; detail goes at
// the end of the line, the members of extra into the JSON error object.
// Returns kExitFailed.
int ReportTokenFailure(const Output& output, const std::string& what,
                       const std::string& detail = "",
                       const JsonValue& extra = JsonValue::Object());
// No token to work with ("no token found", "no token at position 3"):
// reported as code 84, with hint (when not empty) after it. Returns kExitFailed.
int ReportNoToken(const Output& output, const std::string& what, const std::string& hint = "");
// A failure that is not the token's (an output file that cannot be written).
// Returns kExitFailed.
int ReportFailure(const Output& output, const std::string& message);
// A bad command line or input; command names the --help to point at (empty:
// the tool's). Returns kExitUsage.
int ReportUsageError(const Output& output, const std::string& command, const std::string& message);

}  // namespace quill
