#include "failure.h"

#include <cstdio>

#include "error_codes.h"
#include "library_state.h"
#include "token.h"

namespace quill {
namespace {

std::string Meaning(int code) {
  const char* meaning = TokenErrorMeaning(code);
  return meaning != nullptr ? meaning : "unknown code";
}

bool Contains(const std::vector<int>& codes, int code) {
  for (int each : codes) {
    if (each == code) return true;
  }
  return false;
}

constexpr int kSecurityStatusNotSatisfied = kErrStatusWordFirst + 10;  // SW 0x6982

JsonValue ErrorObject(int code, const std::string& meaning, const std::vector<int>& codes) {
  JsonValue list = JsonValue::Array();
  for (int each : codes) list.Append(JsonValue::Number(each));
  return JsonValue::Object()
      .Set("code", JsonValue::Number(code))
      .Set("meaning", JsonValue::String(meaning))
      .Set("codes", list);
}

}  // namespace

std::vector<int> StoredErrorCodes() {
  const ErrorStore& store = Library().store;
  std::vector<int> codes;
  for (size_t i = 0; i < store.Count(); ++i) codes.push_back(store.At(i));
  return codes;
}

std::string ReadableState(const std::vector<int>& codes) {
  if (Contains(codes, kErrStatusE3)) {
    return "the token is locked after three wrong passwords in a row; unplug it and plug it in "
           "again to unlock it";
  }
  if (Contains(codes, kErrAccessKeyRejected)) {
    return "the token refused the access key (QUILL_ACCESS_KEY sets the one presented)";
  }
  if (!Contains(codes, kSecurityStatusNotSatisfied)) return "";
  const char* locks = " (three wrong passwords in a row lock the token until it is unplugged)";
  if (Contains(codes, kErrPasswordVerify)) return std::string("wrong password") + locks;
  if (Contains(codes, kErrPasswordChange)) return std::string("wrong current password") + locks;
  return "not logged in: the token wants its password verified first (add --login, or run "
         "'quill login')";
}

std::string TokenFailureLine(const std::string& what, int root, const std::vector<int>& codes) {
  std::string line = "quill: " + what + " failed: ";
  if (root == 0) return line + "no error code recorded";
  const std::string state = ReadableState(codes);
  if (!state.empty()) line += state + ": ";
  line += std::to_string(root) + " " + Meaning(root) + " [codes";
  for (int code : codes) line += " " + std::to_string(code);
  return line + "]";
}

int ReportTokenFailure(const Output& output, const std::string& what, const std::string& detail,
                       const JsonValue& extra) {
  const int root = TokenGetLastError();  // the oldest code in the store
  const std::vector<int> codes = StoredErrorCodes();
  std::fprintf(stderr, "%s%s\n", TokenFailureLine(what, root, codes).c_str(), detail.c_str());
  JsonValue error = ErrorObject(root, root == 0 ? "no error code recorded" : Meaning(root), codes);
  const std::string state = ReadableState(codes);
  if (!state.empty()) error.Set("state", JsonValue::String(state));
  for (const auto& member : extra.members()) error.Set(member.first, member.second);
  output.Failure(error);
  return kExitFailed;
}

int ReportNoToken(const Output& output, const std::string& what, const std::string& hint) {
  std::fprintf(stderr, "quill: %s (%d %s)%s%s\n", what.c_str(), kErrNoToken,
               Meaning(kErrNoToken).c_str(), hint.empty() ? "" : "; ", hint.c_str());
  JsonValue error = ErrorObject(kErrNoToken, Meaning(kErrNoToken), {kErrNoToken});
  if (!hint.empty()) error.Set("hint", JsonValue::String(hint));
  output.Failure(error);
  return kExitFailed;
}

int ReportFailure(const Output& output, const std::string& message) {
  std::fprintf(stderr, "quill: %s\n", message.c_str());
  output.Failure(JsonValue::Object().Set("message", JsonValue::String(message)));
  return kExitFailed;
}

int ReportUsageError(const Output& output, const std::string& command, const std::string& message) {
  const std::string help = command.empty() ? "quill --help" : "quill " + command + " --help";
  std::fprintf(stderr, "quill: %s\nTry '%s'.\n", message.c_str(), help.c_str());
  output.Failure(JsonValue::Object()
                     .Set("message", JsonValue::String(message))
                     .Set("usage", JsonValue::Bool(true)));
  return kExitUsage;
}

}  // namespace quill
