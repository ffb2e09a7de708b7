// quill against the faults a new user runs into: several tokens, output that
// cannot be written, large cipher data, interrupted writes, plain-word
// failures, and the help.
#include <algorithm>
#include <cctype>
#include <map>

#include "quill_fixture.h"

namespace quill {
namespace {

class QuillSafetyTest : public QuillToolTest {
 protected:
  std::string UserBytes(int id, size_t offset, size_t length) {
    const StoredTokenState stored = server.Stored(id);
    return std::string(stored.userStorage.begin() + offset,
                       stored.userStorage.begin() + offset + length);
  }
  Outcome QuillWith(const std::vector<std::string>& args, const std::string& outputFile,
                    const std::vector<std::string>& environment = {}) {
    return QuillProcess(args, endpoints, "", outputFile, environment).Finish();
  }
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// --- which token a change lands on -------------------------------------------

TEST_F(QuillSafetyTest, ChangesNeedTheUidWhenSeveralTokensArePresent) {
  const int first = Add(TokenKind::kHid, TokenModel::kA);
  const int second = Add(TokenKind::kCdrom, TokenModel::kB);
  const std::vector<std::vector<std::string>> unnamed = {
      {"storage", "write", "--area", "user", "--text", "hi"},
      {"--token", "1", "storage", "write", "--area", "user", "--text", "hi"},
      {"login", "--password", "12345678"},
      {"logout"},
      {"change-password", "--password", "12345678", "--new-password", "x"},
      {"keyinfo", "set", "--name", "n"},
      {"sha1", "--selector", "0", "--text", "x", "--login", "--password", "12345678"},
  };
  for (const std::vector<std::string>& words : unnamed) {
    const Outcome run = Quill(words);
    EXPECT_EQ(run.status, 2) << words[0] << "\n" << run.err;
    EXPECT_TRUE(Contains(run.err, "2 tokens found: name the one to change with --uid UID"))
        << run.err;
  }
  EXPECT_EQ(UserBytes(first, 0, 2), std::string(2, '\0'));
  EXPECT_EQ(UserBytes(second, 0, 2), std::string(2, '\0'));

  // Reading needs no name; a unique UID prefix names the token to change.
  EXPECT_EQ(Quill({"info", "--token", "1"}).status, 0);
  Outcome run = Quill(
      {"storage", "write", "--area", "user", "--text", "hi", "--uid", Uid(second).substr(0, 6)});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 bytes written to the user area at offset 0 of token " + Uid(second) + "\n");
  EXPECT_EQ(UserBytes(second, 0, 2), "hi");
  EXPECT_EQ(UserBytes(first, 0, 2), std::string(2, '\0'));

  run = Quill({"login", "--password", "12345678", "--uid", Uid(first)});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Password verified on token " + Uid(first) + ".\n");
}

TEST_F(QuillSafetyTest, AUidPrefixMustFitOneToken) {
  // Two UID values whose UIDs share their first digit (one of any 17 does).
  std::map<char, TokenUidValue> byDigit;
  std::vector<TokenUidValue> pair;
  for (uint8_t k = 0; pair.empty(); ++k) {
    TokenUidValue value{};
    value.fill(k);
    char uid[kUidTextSize];
    FormatUid(value.data(), uid);
    const auto found = byDigit.find(uid[0]);
    if (found != byDigit.end()) pair = {found->second, value};
    byDigit.emplace(uid[0], value);
  }
  const int first = Add(TokenKind::kHid, TokenModel::kA, pair[0]);
  const int second = Add(TokenKind::kHid, TokenModel::kA, pair[1]);
  const std::string shared = Uid(first).substr(0, 1);

  Outcome run = Quill({"logout", "--uid", shared});
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_TRUE(Contains(run.err, "--uid " + shared + " fits 2 tokens (")) << run.err;
  EXPECT_TRUE(Contains(run.err, Uid(first)) && Contains(run.err, Uid(second))) << run.err;

  run = Quill({"logout", "--uid", "0123456789abcdef0123456789abcdef0"});
  EXPECT_EQ(run.status, 2) << "33 digits are no UID";
  EXPECT_EQ(Quill({"logout", "--uid", Uid(second).substr(0, 31)}).status, 0);
  EXPECT_EQ(Quill({"logout", "--uid", ""}).status, 2) << "an empty UID names no token";
  std::string upper = Uid(second).substr(0, 6);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(Quill({"logout", "--uid", upper}).status, 0) << "hexadecimal digits in either case";
}

TEST_F(QuillSafetyTest, ATokenThatLeftIsNeverReplacedByAnother) {
  const int first = Add(TokenKind::kHid, TokenModel::kA);
  const int second = Add(TokenKind::kHid, TokenModel::kA);
  const std::string meant = Uid(first);
  // Listed at position 0, then gone (a dropped connection or an unplug).
  ASSERT_EQ(Quill({"list"}).status, 0);
  server.Unplug(first);

  Outcome run = Quill({"storage", "write", "--area", "user", "--text", "x", "--uid", meant});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quill: no token with UID " + meant + " (84 no token found)\n");
  EXPECT_EQ(UserBytes(second, 0, 1), std::string(1, '\0'));

  // With one token left, a change without a name goes to it and says which it is.
  run = Quill({"storage", "write", "--area", "user", "--text", "x", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "\"uid\":\"" + Uid(second) + "\"")) << run.out;
}

// --- standard output ---------------------------------------------------------

TEST_F(QuillSafetyTest, OutputThatCannotBeWrittenIsAFailure) {
  Add(TokenKind::kHid, TokenModel::kA);
  const Outcome sealed = Quill({"encrypt", "--text", "abc"});
  ASSERT_EQ(sealed.status, 0) << sealed.err;
  const std::vector<std::vector<std::string>> commands = {
      {"list"},
      {"--json", "list"},
      {"info"},
      {"encrypt", "--text", "abc"},
      {"decrypt", "--hex", sealed.out.substr(0, 16)},
      {"storage", "read", "--area", "user", "--length", "16"},
      {"storage", "read", "--area", "user", "--length", "16", "--hex"},
      {"--help"},
      {"--version"},
  };
  for (const std::vector<std::string>& words : commands) {
    const Outcome run = QuillWith(words, "/dev/full");
    EXPECT_EQ(run.status, 1) << words[0] << " " << (words.size() > 1 ? words[1] : "");
    EXPECT_EQ(run.err.rfind("quill: cannot write to standard output"), 0u) << "said once:\n"
                                                                           << run.err;
  }
  // A failure that was already reported keeps its status.
  const Outcome run = QuillWith({"storage", "read", "--length", "1"}, "/dev/full");
  EXPECT_EQ(run.status, 2);
}

// --- the cipher's limits -------------------------------------------------------

TEST_F(QuillSafetyTest, DecryptTakesWhatEncryptMakesOfTheLargestInput) {
  Add(TokenKind::kHid, TokenModel::kA);
  std::string plain;
  for (int i = 0; i < 65536; ++i) plain += static_cast<char>(i * 31 % 251);
  const std::string in = TempPath("largest_plain");
  const std::string sealed = TempPath("largest_sealed");
  const std::string opened = TempPath("largest_opened");
  std::ofstream(in, std::ios::binary) << plain;

  Outcome run = Quill({"encrypt", "--in", in, "--out", sealed});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(sealed).size(), 65544u);
  run = Quill({"decrypt", "--in", sealed, "--out", opened});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(ReadWholeFile(opened) == plain);

  // One byte more is refused before the token is used, either way.
  std::ofstream(in, std::ios::binary | std::ios::app) << 'x';
  EXPECT_EQ(Quill({"encrypt", "--in", in}).status, 2);
  std::ofstream(sealed, std::ios::binary | std::ios::app) << std::string(8, 'x');
  EXPECT_EQ(Quill({"decrypt", "--in", sealed}).status, 2);
  for (const std::string& path : {in, sealed, opened}) std::remove(path.c_str());
}

// --- interrupted writes ----------------------------------------------------------

TEST_F(QuillSafetyTest, AnInterruptedWriteSaysHowFarItGot) {
  const int id = Add(TokenKind::kHid, TokenModel::kA);
  std::string before;
  std::string after;
  for (int i = 0; i < 500; ++i) {
    before += static_cast<char>('a' + i % 26);
    after += static_cast<char>('A' + i % 26);
  }
  const std::string in = TempPath("interrupted");
  std::ofstream(in, std::ios::binary) << before;
  const std::vector<std::string> user = {"storage",  "write", "--area", "user",
                                         "--offset", "100",   "--in",   in};
  const std::vector<std::string> secure = {"storage", "write", "--area", "secure",
                                           "--in",    in,      "--json"};
  // The requests of a successful run: finding the token, then the write.
  uint64_t count = server.Stats(id).exchanges;
  ASSERT_EQ(Quill(user).status, 0);
  const uint64_t userRequests = server.Stats(id).exchanges - count;
  count = server.Stats(id).exchanges;
  ASSERT_EQ(Quill(secure).status, 0);
  const uint64_t secureRequests = server.Stats(id).exchanges - count;
  ASSERT_GT(userRequests, 3u);
  ASSERT_GT(secureRequests, 7u);
  std::ofstream(in, std::ios::binary | std::ios::trunc) << after;

  // User storage: the chunks (224, 224, 52 bytes) are the last three
  // requests; from the second on, the token's answers are lost.
  server.InjectFault(id, {FaultKind::kDrop}, 0, static_cast<int>(userRequests - 3 + 1));
  Outcome run = Quill(user);
  server.ClearFaults(id);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "quill: writing the user area failed: ")) << run.err;
  EXPECT_TRUE(Contains(run.err,
                       "; 224 of 500 bytes (offsets 100 to 323) were written before it "
                       "stopped\n"))
      << run.err;
  EXPECT_EQ(UserBytes(id, 100, 224), after.substr(0, 224));
  EXPECT_EQ(UserBytes(id, 548, 52), before.substr(448)) << "the last chunk was never sent";

  // Secure storage: access key, marker, chunk, chunk, marker, chunk, marker.
  server.InjectFault(id, {FaultKind::kDrop}, 0, static_cast<int>(secureRequests - 7 + 3));
  run = Quill(secure);
  server.ClearFaults(id);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.out, "\"written\":224}}")) << run.out;
  EXPECT_TRUE(Contains(run.err, "; 224 of 500 bytes (offsets 0 to 223) were written")) << run.err;

  // Nothing confirmed: the first chunk's answer is lost.
  server.InjectFault(id, {FaultKind::kDrop}, 0, static_cast<int>(userRequests - 3));
  run = Quill(user);
  server.ClearFaults(id);
  EXPECT_TRUE(Contains(run.err, "; 0 of 500 bytes were written before it stopped")) << run.err;
  std::remove(in.c_str());
}

// --- failures in plain words ---------------------------------------------------------

TEST_F(QuillSafetyTest, ALockedTokenSaysHowToUnlockIt) {
  const int id = Add(TokenKind::kHid, TokenModel::kA);
  for (int i = 0; i < 3; ++i) {
    const Outcome run = Quill({"login"}, "wrong\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "login failed: wrong password (")) << run.err;
  }
  Outcome run = Quill({"login"}, "12345678\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err,
                       "login failed: the token is locked after three wrong passwords in "
                       "a row; unplug it and plug it in again to unlock it: 258 "))
      << run.err;
  server.Unplug(id);
  server.Plug(id);
  EXPECT_EQ(Quill({"login"}, "12345678\n").status, 0);
}

TEST_F(QuillSafetyTest, ARefusedAccessKeyAndAnUnreadableTokenAreNamed) {
  Add(TokenKind::kHid, TokenModel::kA);
  Outcome run = QuillWith({"storage", "read", "--area", "secure", "--length", "4", "--hex"}, "",
                          {"QUILL_ACCESS_KEY=0102030405060708"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "failed: the token refused the access key (QUILL_ACCESS_KEY"))
      << run.err;

  run = QuillWith({"list"}, "", {"QUILL_FRAME_KEY=0011223344556677"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "quill: no token found (84 no token found); a device was found but its UID could "
            "not be read: the frame key (QUILL_FRAME_KEY) may differ from the token's\n");
  server.Unplug(0);
  run = QuillWith({"list"}, "", {"QUILL_FRAME_KEY=0011223344556677"});
  EXPECT_EQ(run.err, "quill: no token found (84 no token found)\n") << "no device, no hint";
}

// --- help -------------------------------------------------------------------------------

TEST_F(QuillSafetyTest, HelpNamesVersionAndAnswersDashH) {
  Outcome run = Quill({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Contains(run.out, "  --version ")) << run.out;
  EXPECT_TRUE(Contains(run.out, "  -h, --help ")) << run.out;
  const std::string usage = run.out;
  run = Quill({"-h"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, usage);
  run = Quill({"storage", "read", "-h"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("usage: quill storage read", 0), 0u) << run.out;
  // As the value of an option, -h is data.
  Add(TokenKind::kHid, TokenModel::kA);
  run = Quill({"storage", "write", "--area", "user", "--text", "-h"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(UserBytes(0, 0, 2), "-h");
}

}  // namespace
}  // namespace quill
