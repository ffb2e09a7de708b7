// Keys and endpoints from the environment.
#include "config.h"

#include <gtest/gtest.h>

#include <map>

namespace quill {
namespace {

struct Env {
  std::map<std::string, std::string> vars;
  std::vector<std::string> warnings;
  TokenConfig Parse() {
    return ParseTokenConfig(
        [this](const char* name, std::string* value) {
          auto it = vars.find(name);
          if (it == vars.end()) return false;
          *value = it->second;
          return true;
        },
        [this](const std::string& line) { warnings.push_back(line); });
  }
};

TEST(Config, DefaultsWhenNothingIsSet) {
  Env env;
  const TokenConfig config = env.Parse();
  EXPECT_EQ(config.frameKey,
            (std::array<uint8_t, 8>{0x04, 0xC7, 0x1E, 0x1D, 0x48, 0xCE, 0x00, 0x7E}));
  EXPECT_EQ(config.accessKey[0], 0xA8);
  EXPECT_EQ(config.remoteSecret[15], 0x02);
  EXPECT_TRUE(config.virtualTokens.empty());
  EXPECT_TRUE(env.warnings.empty());
}

TEST(Config, WellFormedKeysInEitherCaseOverrideTheDefaults) {
  Env env;
  env.vars["QUILL_FRAME_KEY"] = "0123456789abcDEF";
  env.vars["QUILL_REMOTE_SECRET"] = "000102030405060708090A0B0C0D0E0F";
  const TokenConfig config = env.Parse();
  EXPECT_EQ(config.frameKey,
            (std::array<uint8_t, 8>{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}));
  EXPECT_EQ(config.remoteSecret[10], 0x0A);
  EXPECT_TRUE(env.warnings.empty());
}

TEST(Config, MalformedKeyKeepsTheDefaultWithOneWarningThatHidesTheValue) {
  for (const char* bad : {"0123456789ABCDE", "0123456789ABCDEF0", "0123456789ABCDEG", ""}) {
    Env env;
    env.vars["QUILL_ACCESS_KEY"] = bad;
    const TokenConfig config = env.Parse();
    EXPECT_EQ(config.accessKey[0], 0xA8) << bad;
    ASSERT_EQ(env.warnings.size(), 1u) << bad;
    EXPECT_NE(env.warnings[0].find("QUILL_ACCESS_KEY"), std::string::npos);
    if (*bad != '\0') {
      EXPECT_EQ(env.warnings[0].find(bad), std::string::npos);
    }
  }
}

TEST(Config, OnlyLoopbackEndpointsAreAccepted) {
  Env env;
  env.vars["QUILL_VIRTUAL_TOKENS"] =
      "127.0.0.1:7001, localhost:7002,[::1]:7003,10.0.0.1:7004,example.com:80,"
      "127.0.0.1:0,127.0.0.1:65536,127.0.0.1,[::2]:1,127.0.0.1:7x";
  const TokenConfig config = env.Parse();
  ASSERT_EQ(config.virtualTokens.size(), 3u);
  EXPECT_EQ(config.virtualTokens[0].host, "127.0.0.1");
  EXPECT_EQ(config.virtualTokens[0].port, 7001);
  EXPECT_EQ(config.virtualTokens[1].host, "localhost");
  EXPECT_EQ(config.virtualTokens[2].host, "::1");
  EXPECT_EQ(config.virtualTokens[2].port, 7003);
  EXPECT_EQ(env.warnings.size(), 7u);
}

}  // namespace
}  // namespace quill
