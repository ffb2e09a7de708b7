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

std::string TokenFailureLine(const std::string& what, int root, const std::vector<int>& codes) {
  std::string line = "quill: " + what + " failed: ";
  if (root == 0) return line + "no error code recorded";
  line += std::to_string(root) + " " + Meaning(root) + " [codes";
  for (int code : codes) line += " " + std::to_string(code);
  return line + "]";
}

int ReportTokenFailure(const Output& output, const std::string& what) {
  const int root = TokenGetLastError();  // the oldest code in the store
  const std::vector<int> codes = StoredErrorCodes();
  std::fprintf(stderr, "%s\n", TokenFailureLine(what, root, codes).c_str());
  output.Failure(ErrorObject(root, root == 0 ? "no error code recorded" : Meaning(root), codes));
  return kExitFailed;
}

int ReportNoToken(const Output& output, const std::string& what) {
  std::fprintf(stderr, "quill: %s (%d %s)\n", what.c_str(), kErrNoToken,
               Meaning(kErrNoToken).c_str());
  output.Failure(ErrorObject(kErrNoToken, Meaning(kErrNoToken), {kErrNoToken}));
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
