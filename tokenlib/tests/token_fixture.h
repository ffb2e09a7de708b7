// A fake platform with one discovered token, for tests of single commands.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "fake_platform.h"
#include "library_state.h"
#include "token.h"

namespace quill {

// The codes in the store, oldest first.
inline std::vector<int> StoredCodes() {
  std::vector<int> codes;
  const ErrorStore& store = Library().store;
  for (size_t i = 0; i < store.Count(); ++i) codes.push_back(store.At(i));
  return codes;
}

class OneTokenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    token = fake.AddHidToken(0x04B4, 0xB328);
    TokenHandle handles[kMaxTokens];
    int count = 0;
    ASSERT_EQ(TokenFind(TokenModel::kA, handles, &count), 0);
    ASSERT_EQ(count, 1);
    handle = handles[0];
    commandsBefore = token->Commands().size();
  }

  static std::vector<int> Codes() { return StoredCodes(); }

  // Requests that reached the token since discovery.
  size_t Requests() const { return token->Commands().size() - commandsBefore; }

  fake::FakePlatform fake;
  std::shared_ptr<fake::ScriptedToken> token;
  TokenHandle handle = 0;
  size_t commandsBefore = 0;
};

}  // namespace quill
