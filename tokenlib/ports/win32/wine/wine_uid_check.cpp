// Finds the tokens of both models and reads their UIDs; run under Wine
// against virtual tokens by tests/wine/run_wine_check.sh.
//
//   wine_uid_check A:<uid text> B:<uid text> ...
//
// Each argument names a UID text (32 lowercase hexadecimal digits) that one
// token of that model must answer. Exit status 0 when every one was found,
// 1 when one is missing, 2 for a malformed command line. The last line of
// output is always "wine-check-done", so that a run that ended early can be
// told from one that failed.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "token.h"

namespace {

struct Expectation {
  quill::TokenModel model;
  std::string uid;
  bool found = false;
};

const char* ModelName(quill::TokenModel model) {
  return model == quill::TokenModel::kA ? "A" : "B";
}

bool IsUidText(const char* text) {
  if (std::strlen(text) != quill::kUidTextSize - 1) return false;
  for (const char* c = text; *c != '\0'; ++c) {
    if (!((*c >= '0' && *c <= '9') || (*c >= 'a' && *c <= 'f'))) return false;
  }
  return true;
}

bool ParseExpectation(const char* argument, Expectation* expectation) {
  if ((argument[0] != 'A' && argument[0] != 'B') || argument[1] != ':') return false;
  if (!IsUidText(argument + 2)) return false;
  expectation->model = argument[0] == 'A' ? quill::TokenModel::kA : quill::TokenModel::kB;
  expectation->uid = argument + 2;
  return true;
}

// Lists the model's tokens and marks the expectations their UIDs meet.
void CheckModel(quill::TokenModel model, std::vector<Expectation>* expectations) {
  quill::TokenHandle handles[quill::kMaxTokens] = {};
  int count = 0;
  const int result = quill::TokenFind(model, handles, &count);
  std::printf("model %s: TokenFind=%d count=%d lastError=%d\n", ModelName(model), result, count,
              quill::TokenGetLastError());
  for (int i = 0; i < count && i < quill::kMaxTokens; ++i) {
    char uid[quill::kUidTextSize] = {};
    const int uidResult = quill::TokenGetUID(handles[i], uid);
    if (uidResult != 0) {
      std::printf("  handle %d: TokenGetUID=%d lastError=%d\n", handles[i], uidResult,
                  quill::TokenGetLastError());
      continue;
    }
    std::printf("  handle %d: uid %s\n", handles[i], uid);
    for (Expectation& expectation : *expectations) {
      if (expectation.model == model && expectation.uid == uid) expectation.found = true;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Expectation> expectations;
  for (int i = 1; i < argc; ++i) {
    Expectation expectation;
    if (!ParseExpectation(argv[i], &expectation)) {
      std::printf("usage: wine_uid_check A:<uid text> B:<uid text> ...\n");
      std::printf("bad argument: %s\n", argv[i]);
      std::printf("wine-check-done\n");
      return 2;
    }
    expectations.push_back(expectation);
  }
  if (expectations.empty()) {
    std::printf("usage: wine_uid_check A:<uid text> B:<uid text> ...\n");
    std::printf("wine-check-done\n");
    return 2;
  }

  CheckModel(quill::TokenModel::kA, &expectations);
  CheckModel(quill::TokenModel::kB, &expectations);

  bool allFound = true;
  for (const Expectation& expectation : expectations) {
    std::printf("expected %s %s: %s\n", ModelName(expectation.model), expectation.uid.c_str(),
                expectation.found ? "found" : "MISSING");
    allFound = allFound && expectation.found;
  }
  std::printf("result: %s\n", allFound ? "pass" : "FAIL");
  std::printf("wine-check-done\n");
  std::fflush(stdout);
  return allFound ? 0 : 1;
}
