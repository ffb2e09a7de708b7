// The machine's origin policy: its file form, the decisions it gives, and
// the readings that must refuse every origin.
#include "policy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "host_fixture.h"
#include "policy_source.h"

namespace quill::host {
namespace {

PolicyDecision Decide(const OriginPolicy& policy, const char* origin) {
  const std::optional<WebOrigin> parsed = ParseOrigin(origin);
  EXPECT_TRUE(parsed) << origin;
  return parsed ? DecideOrigin(policy, *parsed) : PolicyDecision::kAsk;
}

OriginPolicy Parsed(const std::string& text) {
  OriginPolicy policy;
  std::string problem;
  EXPECT_TRUE(ParsePolicyJson(text, &policy, &problem)) << text << ": " << problem;
  return policy;
}

TEST(PolicyTest, ForbiddenPatternsWinOverAllowedOnes) {
  const OriginPolicy policy = Parsed(R"({
    "allowedOrigins": ["https://*.bank.example", "https://portal.example", "http://127.0.0.1:8080"],
    "forbiddenOrigins": ["https://ads.bank.example", "https://portal.example"]
  })");
  EXPECT_EQ(Decide(policy, "https://www.bank.example"), PolicyDecision::kAllow);
  EXPECT_EQ(Decide(policy, "https://a.b.bank.example"), PolicyDecision::kAllow);
  EXPECT_EQ(Decide(policy, "http://127.0.0.1:8080"), PolicyDecision::kAllow);
  EXPECT_EQ(Decide(policy, "https://ads.bank.example"), PolicyDecision::kForbid);
  EXPECT_EQ(Decide(policy, "https://portal.example"), PolicyDecision::kForbid);
  // Not listed: left to the user.
  EXPECT_EQ(Decide(policy, "https://bank.example"), PolicyDecision::kAsk);
  EXPECT_EQ(Decide(policy, "http://www.bank.example"), PolicyDecision::kAsk);
  EXPECT_EQ(Decide(policy, "http://127.0.0.1:8081"), PolicyDecision::kAsk);

  EXPECT_STREQ(PolicyDecisionName(PolicyDecision::kAllow), "allow");
  EXPECT_STREQ(PolicyDecisionName(PolicyDecision::kForbid), "forbid");
  EXPECT_STREQ(PolicyDecisionName(PolicyDecision::kAsk), "ask");
}

TEST(PolicyTest, AStarForbidsOrAllowsEveryOrigin) {
  const OriginPolicy onlyListed =
      Parsed(R"({"allowedOrigins": ["https://intranet.example"], "forbiddenOrigins": ["*"]})");
  EXPECT_EQ(Decide(onlyListed, "https://intranet.example"), PolicyDecision::kForbid);
  EXPECT_EQ(Decide(onlyListed, "https://other.example"), PolicyDecision::kForbid);

  const OriginPolicy allowAll =
      Parsed(R"({"allowedOrigins": ["*"], "forbiddenOrigins": ["https://*.evil.example"]})");
  EXPECT_EQ(Decide(allowAll, "http://[::1]:3000"), PolicyDecision::kAllow);
  EXPECT_EQ(Decide(allowAll, "https://x.evil.example"), PolicyDecision::kForbid);
  EXPECT_EQ(Decide(allowAll, "https://evil.example"), PolicyDecision::kAllow);

  for (const char* empty : {"{}", R"({"allowedOrigins": [], "forbiddenOrigins": []})"}) {
    EXPECT_EQ(Decide(Parsed(empty), "https://a.example"), PolicyDecision::kAsk) << empty;
  }
}

TEST(PolicyTest, RefusesAMalformedPolicyWholly) {
  for (const char* text : {
           "",
           "   ",
           "{",
           "[]",
           "null",
           R"("*")",
           R"({"allowedOrigins": "https://a.example"})",
           R"({"forbiddenOrigins": ["https://a.example", 7]})",
           R"({"forbiddenOrigins": ["https://a.example", "https://b.example/"]})",
           R"({"allowedOrigins": ["*.example"]})",
           R"({"forbidenOrigins": ["*"]})",  // a typing mistake is no empty list
           R"({"forbiddenOrigins": ["*"], "forbiddenOrigins": []})",
           "{\"allowedOrigins\": [\"https://\xff.example\"]}",
       }) {
    OriginPolicy policy;
    policy.allowed.push_back(OriginPattern());
    std::string problem;
    EXPECT_FALSE(ParsePolicyJson(text, &policy, &problem)) << text;
    EXPECT_FALSE(problem.empty()) << text;
    EXPECT_TRUE(policy.allowed.empty() && policy.forbidden.empty()) << text;
  }
  OriginPolicy policy;
  std::string problem;
  ASSERT_FALSE(
      ParsePolicyJson(R"({"forbiddenOrigins": ["https://a.example:443"]})", &policy, &problem));
  EXPECT_NE(problem.find("'https://a.example:443'"), std::string::npos) << problem;
}

TEST(PolicyTest, ReadsTheFileAndFailsClosedWhenItCannotBeUsed) {
  TemporaryFolder folder;
  const std::string path = folder.File("policy.json");

  PolicyReading missing = ReadPolicyFile(path);
  EXPECT_TRUE(missing.usable);
  EXPECT_TRUE(missing.policy.allowed.empty() && missing.policy.forbidden.empty());
  EXPECT_TRUE(ReadPolicyFile(folder.File("no-such-folder/policy.json")).usable);

  std::ofstream(path) << R"({"forbiddenOrigins": ["https://*.example"]})";
  PolicyReading read = ReadPolicyFile(path);
  ASSERT_TRUE(read.usable) << read.problem;
  EXPECT_EQ(Decide(read.policy, "https://a.example"), PolicyDecision::kForbid);

  std::ofstream(path) << R"({"forbiddenOrigins": ["https://*.example"],})";
  PolicyReading malformed = ReadPolicyFile(path);
  EXPECT_FALSE(malformed.usable);
  EXPECT_NE(malformed.problem.find(path), std::string::npos) << malformed.problem;

  std::ofstream(path) << "{\"allowedOrigins\": [\"" << std::string(1024 * 1024, 'a') << "\"]}";
  EXPECT_FALSE(ReadPolicyFile(path).usable);

  // A link is followed; a link to nothing is a policy that cannot be read,
  // not a missing one.
  const std::string link = folder.File("link.json");
  ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
  EXPECT_FALSE(ReadPolicyFile(link).usable);  // to the file of over 1 MiB
  std::ofstream(path) << R"({"forbiddenOrigins": ["*"]})";
  ASSERT_TRUE(ReadPolicyFile(link).usable);
  EXPECT_EQ(Decide(ReadPolicyFile(link).policy, "https://a.example"), PolicyDecision::kForbid);
  const std::string dangling = folder.File("dangling.json");
  ASSERT_EQ(symlink(folder.File("gone.json").c_str(), dangling.c_str()), 0);
  const PolicyReading broken = ReadPolicyFile(dangling);
  EXPECT_FALSE(broken.usable);
  EXPECT_NE(broken.problem.find(dangling), std::string::npos) << broken.problem;

  EXPECT_FALSE(ReadPolicyFile(folder.path()).usable);  // a folder
  EXPECT_FALSE(ReadPolicyFile("/dev/zero").usable);    // endless
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadPolicyFile(fifo).usable);  // would block
}

// The size limit is 1 MiB exactly: a policy of that size (padded with
// spaces) is read whole, one byte more is refused; an empty file is not an
// empty policy but a malformed one.
TEST(PolicyTest, ReadsAFileOfExactlyTheLimitAndRefusesOneByteMoreOrNone) {
  TemporaryFolder folder;
  const std::string path = folder.File("policy.json");
  const std::string policy = R"({"forbiddenOrigins": ["https://*.example"]})";
  const size_t limit = 1024 * 1024;

  std::ofstream(path, std::ios::binary) << policy << std::string(limit - policy.size(), ' ');
  const PolicyReading atLimit = ReadPolicyFile(path);
  ASSERT_TRUE(atLimit.usable) << atLimit.problem;
  EXPECT_EQ(Decide(atLimit.policy, "https://a.example"), PolicyDecision::kForbid);

  std::ofstream(path, std::ios::binary) << policy << std::string(limit + 1 - policy.size(), ' ');
  const PolicyReading pastLimit = ReadPolicyFile(path);
  EXPECT_FALSE(pastLimit.usable);
  EXPECT_NE(pastLimit.problem.find("1 MiB"), std::string::npos) << pastLimit.problem;

  std::ofstream(path, std::ios::binary | std::ios::trunc);
  EXPECT_FALSE(ReadPolicyFile(path).usable);
}

}  // namespace
}  // namespace quill::host
