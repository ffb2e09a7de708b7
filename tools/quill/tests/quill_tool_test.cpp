// quill run as a program against virtual tokens served from this process.
#include <thread>

#include "crypto/md5.h"
#include "quill_fixture.h"
#include "vtoken/sha1.h"

namespace quill {
namespace {

// --- discovery and selection --------------------------------------------

TEST_F(QuillToolTest, ListShowsTokensOfBothModelsInPositionOrder) {
  const int hidA = Add(TokenKind::kHid, TokenModel::kA);
  const int hidB = Add(TokenKind::kHid, TokenModel::kB);
  const int cdromA = Add(TokenKind::kCdrom, TokenModel::kA);

  Outcome run = Quill({"list"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // Storage-face tokens come before HID ones within a model.
  EXPECT_EQ(run.out,
            "POSITION  MODEL  UID\n"
            "0         A      " +
                Uid(cdromA) +
                "\n"
                "1         A      " +
                Uid(hidA) +
                "\n"
                "2         B      " +
                Uid(hidB) + "\n");

  run = Quill({"--json", "list"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, R"({"ok":true,"tokens":[{"position":0,"model":"A","uid":")" + Uid(cdromA) +
                         R"("},{"position":1,"model":"A","uid":")" + Uid(hidA) +
                         R"("},{"position":2,"model":"B","uid":")" + Uid(hidB) + "\"}]}\n");

  run = Quill({"list", "--model", "B", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            R"({"ok":true,"tokens":[{"position":0,"model":"B","uid":")" + Uid(hidB) + "\"}]}\n");
}

TEST_F(QuillToolTest, NoTokenIsAFailureWithCodeAndMeaning) {
  const int id = Add(TokenKind::kHid, TokenModel::kA);
  server.Unplug(id);  // connecting is refused

  Outcome run = Quill({"list"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "quill: no token found (84 no token found)\n");

  run = Quill({"info", "--json"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, R"({"ok":false,"error":{"code":84,"meaning":"no token found","codes":[84]}})"
                     "\n");
  EXPECT_EQ(run.err, "quill: no token found (84 no token found)\n");
}

TEST_F(QuillToolTest, TokenOrUidThatMatchesNothingIsReported) {
  Add(TokenKind::kHid, TokenModel::kA);
  Add(TokenKind::kHid, TokenModel::kB);

  Outcome run = Quill({"--token", "2", "info"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quill: only 2 tokens found, none at position 2 (84 no token found)\n");

  run = Quill({"logout", "--model", "B", "--token", "1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quill: only 1 token found, none at position 1 (84 no token found)\n");

  run = Quill({"logout", "--uid", std::string(32, 'A')});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quill: no token with UID " + std::string(32, 'a') + " (84 no token found)\n");
}

// --- reading the token ----------------------------------------------------

TEST_F(QuillToolTest, InfoShowsIdentityVersionAndKeyInformation) {
  Add(TokenKind::kHid, TokenModel::kA);
  const int b = Add(TokenKind::kCdrom, TokenModel::kB);

  Outcome run = Quill({"info", "--json", "--uid", Uid(b)});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, R"({"ok":true,"position":1,"model":"B","uid":")" + Uid(b) +
                         R"(","version":"QVT 0001","identity":{"text":"QUILLVT1",)"
                         R"("values":[1,2,3,4,5],"value16":258},"key_info":{"name":"",)"
                         R"("description":"","url":"","other":"","model_bytes":)"
                         R"("0000000000000000"},"usage_tag":"login","request_enabled":true})"
                         "\n");

  run = Quill({"info", "--token", "1"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\nuid:" + std::string(14, ' ') + Uid(b) + "\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nidentity values:  1 2 3 4 5\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nrequest enabled:  yes\n"), std::string::npos) << run.out;
}

// --- password -------------------------------------------------------------

TEST_F(QuillToolTest, LoginReadsThePasswordFromStandardInput) {
  const int id = Add(TokenKind::kHid, TokenModel::kA);

  Outcome run = Quill({"login"}, "wrong\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "quill: login failed: wrong password (three wrong passwords in a row lock the token "
            "until it is unplugged): 522 token status word 0x6982 (security status not "
            "satisfied) [codes 522 53 104]\n");

  run = Quill({"login", "--json"}, "wrong\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, R"j({"ok":false,"error":{"code":522,"meaning":"token status word 0x6982 )j"
                     R"j((security status not satisfied)","codes":[522,53,104],)j"
                     R"j("state":"wrong password (three wrong passwords in a row lock the )j"
                     R"j(token until it is unplugged)"}})j"
                     "\n");

  run = Quill({"login"}, "12345678\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Password verified on token " + Uid(id) + ".\n");
  EXPECT_EQ(run.err, "");

  run = Quill({"logout", "--json"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "{\"ok\":true,\"uid\":\"" + Uid(id) + "\"}\n");
}

TEST_F(QuillToolTest, PasswordOnTheCommandLineWorksWithAWarning) {
  Add(TokenKind::kHid, TokenModel::kA);
  const Outcome run = Quill({"login", "--password", "12345678"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("warning: a password given with --password is visible to other users"),
            std::string::npos)
      << run.err;
}

TEST_F(QuillToolTest, ChangePasswordAsksForTheNewOneTwice) {
  Add(TokenKind::kHid, TokenModel::kA);

  Outcome run = Quill({"change-password"}, "12345678\nnew secret\nnew secrets\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("the two new passwords differ"), std::string::npos) << run.err;

  run = Quill({"change-password"}, "12345678\nnew secret\nnew secret\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Quill({"login"}, "12345678\n").status, 1);
  EXPECT_EQ(Quill({"login"}, "new secret\n").status, 0);
}

TEST_F(QuillToolTest, UnusablePasswordsAreRefusedBeforeTheToken) {
  Add(TokenKind::kHid, TokenModel::kA);
  for (const std::string& input : {std::string(), std::string("\n"), std::string(65, 'x') + "\n"}) {
    const Outcome run = Quill({"login"}, input);
    EXPECT_EQ(run.status, 2) << input.size() << ": " << run.err;
  }
}

// --- storage, key information and the cipher --------------------------------

TEST_F(QuillToolTest, StorageAreasRoundTrip) {
  const int id = Add(TokenKind::kHid, TokenModel::kA);

  Outcome run = Quill({"storage", "write", "--area", "user", "--offset", "2000", "--hex",
                       "00112233445566778899aabbccddeeff"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = Quill({"storage", "read", "--area", "user", "--offset", "1999", "--length", "18", "--hex"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "0000112233445566778899aabbccddeeff00\n");

  // More than one 224-byte chunk through files, in the secure storage.
  std::string content;
  for (int i = 0; i < 500; ++i) content += static_cast<char>(i * 7 % 256);
  const std::string in = TempPath("secure_in");
  const std::string out = TempPath("secure_out");
  std::ofstream(in, std::ios::binary) << content;
  run = Quill({"storage", "write", "--area", "secure", "--offset", "1556", "--in", in, "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, R"({"ok":true,"uid":")" + Uid(id) +
                         R"(","area":"secure","offset":1556,"length":500})"
                         "\n");
  run = Quill(
      {"storage", "read", "--area", "secure", "--offset", "1556", "--length", "500", "--out", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(out), content);

  run = Quill({"storage", "write", "--area", "memory", "--offset", "190", "--text", "ok"});
  ASSERT_EQ(run.status, 0) << run.err;
  // Standard output is a pipe here: the bytes come raw unless --hex or --json asks.
  run = Quill({"storage", "read", "--area", "memory", "--offset", "189", "--length", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, std::string("\0ok", 3));
  run =
      Quill({"storage", "read", "--area", "memory", "--offset", "190", "--length", "2", "--json"});
  EXPECT_EQ(run.out, R"({"ok":true,"uid":")" + Uid(id) +
                         R"(","area":"memory","offset":190,"length":2,"data":"6f6b"})"
                         "\n");
  std::remove(in.c_str());
  std::remove(out.c_str());
}

TEST_F(QuillToolTest, EncryptAndDecryptRoundTrip) {
  Add(TokenKind::kHid, TokenModel::kA);

  Outcome run = Quill({"encrypt", "--selector", "1", "--text", "thirteen char"});
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.out.size(), 33u) << "16 bytes in hex and a line feed: " << run.out;
  const std::string cipherText = run.out.substr(0, 32);

  const std::string out = TempPath("plain");
  run = Quill({"decrypt", "--selector", "1", "--hex", cipherText, "--out", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(out), "thirteen char");
  std::remove(out.c_str());

  // The other selector's key does not give the text back.
  run = Quill({"decrypt", "--selector", "0", "--hex", cipherText, "--json"});
  EXPECT_TRUE(run.status != 0 || run.out.find("7468697274656e2063686172") == std::string::npos)
      << run.out;
}

TEST_F(QuillToolTest, KeyInfoSetLogsInFirstAndKeepsFieldsNotGiven) {
  Add(TokenKind::kHid, TokenModel::kA);

  Outcome run = Quill({"keyinfo", "set", "--name", "first"});
  EXPECT_EQ(run.status, 1) << "the token wants a verified password";
  EXPECT_NE(run.err.find("quill: writing the key information failed: not logged in: the token "
                         "wants its password verified first (add --login, or run 'quill login'): "
                         "522 "),
            std::string::npos)
      << run.err;

  run = Quill({"keyinfo", "set", "--login", "--name", "Ada", "--url", "https://example.org/\"q\"",
               "--model-bytes", "0102030405060708"},
              "12345678\n");
  ASSERT_EQ(run.status, 0) << run.err;
  run = Quill({"keyinfo", "set", "--login", "--description", "work key"}, "12345678\n");
  ASSERT_EQ(run.status, 0) << run.err;

  run = Quill({"info", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(R"("key_info":{"name":"Ada","description":"work key",)"
                         R"("url":"https://example.org/\"q\"","other":"",)"
                         R"("model_bytes":"0102030405060708"})"),
            std::string::npos)
      << run.out;
}

TEST_F(QuillToolTest, Sha1DigestsSeedAndDataAfterLogin) {
  const int id = Add(TokenKind::kHid, TokenModel::kA);

  Outcome run = Quill({"sha1", "--selector", "0", "--text", "abc"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "quill: sha1 failed: not logged in: the token wants its password verified first (add "
            "--login, or run 'quill login'): 522 token status word 0x6982 (security status not "
            "satisfied) [codes 522 53 96]\n");

  // Selector and data reach the token unchanged: the digest is SHA-1 over
  // the selector's seed, MD5(UID value || s) || MD5(UID value || s || s), and the data.
  const TokenUidValue uid = server.Spec(id).uid.value();
  for (uint8_t selector : {0, 1}) {
    std::vector<uint8_t> message(uid.begin(), uid.end());
    message.push_back(selector);
    uint8_t seed[32];
    Md5Digest(message.data(), message.size(), seed);
    message.push_back(selector);
    Md5Digest(message.data(), message.size(), seed + 16);
    std::vector<uint8_t> input(seed, seed + sizeof(seed));
    input.insert(input.end(), {0x00, 0x61, 0x62, 0x63});
    uint8_t digest[kSha1DigestSize];
    Sha1Digest(input.data(), input.size(), digest);
    char expected[2 * kSha1DigestSize + 1];
    for (size_t i = 0; i < kSha1DigestSize; ++i)
      std::snprintf(expected + 2 * i, 3, "%02x", digest[i]);

    run = Quill({"sha1", "--selector", std::to_string(selector), "--hex", "00616263", "--login"},
                "12345678\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(expected) + "\n");
  }
}

// --- command line -----------------------------------------------------------

TEST_F(QuillToolTest, EveryCommandHasHelp) {
  const std::vector<std::vector<std::string>> commands = {
      {"list"},           {"info"},    {"login"},           {"change-password"},
      {"logout"},         {"storage"}, {"storage", "read"}, {"storage", "write"},
      {"keyinfo", "set"}, {"encrypt"}, {"decrypt"},         {"sha1"}};
  for (std::vector<std::string> words : commands) {
    const std::string name = words.size() == 1 ? words[0] : words[0] + " " + words[1];
    words.push_back("--help");
    const Outcome run = Quill(words);
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_EQ(run.out.rfind("usage: quill " + words[0], 0), 0u) << name << ":\n" << run.out;
    EXPECT_NE(run.out.find("quill " + name), std::string::npos) << name << ":\n" << run.out;
    EXPECT_NE(run.out.find("--json"), std::string::npos) << name;
  }
  Outcome run = Quill({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("change-password"), std::string::npos);
  run = Quill({"help", "sha1"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("usage: quill sha1", 0), 0u);
  run = Quill({"vtoken", "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--token"), std::string::npos) << run.out;
}

TEST_F(QuillToolTest, BadArgumentsAreUsageErrorsThatNeverReachTheToken) {
  const int id = Add(TokenKind::kHid, TokenModel::kA);
  const std::string big = TempPath("big");
  std::ofstream(big, std::ios::binary) << std::string(49, 'x');

  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"list", "--bogus"},
      {"list", "extra"},
      {"--model", "C", "list"},
      {"--token", "-1", "info"},
      {"--token", "64", "info"},
      {"--token", "1", "--uid", std::string(32, '0'), "info"},
      {"--uid", "xyz", "info"},
      {"storage"},
      {"storage", "read", "--area", "user", "--length", "0"},
      {"storage", "read", "--area", "user", "--offset", "2000", "--length", "49"},
      {"storage", "read", "--area", "user", "--offset", "2048", "--length", "1"},
      {"storage", "read", "--area", "memory", "--offset", "190", "--length", "3"},
      {"storage", "read", "--area", "secure", "--length", "2057"},
      {"storage", "read", "--area", "user", "--length", "99999999999999999999999"},
      {"storage", "read", "--area", "flash", "--length", "1"},
      {"storage", "read", "--length", "1"},
      {"storage", "read", "--area", "user", "--length", "4", "--hex", "--out", big},
      {"storage", "write", "--area", "user", "--hex", "abc"},
      {"storage", "write", "--area", "user", "--hex", "zz"},
      {"storage", "write", "--area", "user", "--text", ""},
      {"storage", "write", "--area", "user", "--text", "a", "--hex", "61"},
      {"storage", "write", "--area", "user", "--offset", "2000", "--in", big},
      {"storage", "write", "--area", "user", "--in", big + ".missing"},
      {"storage", "write", "--area", "user", "--length", "2", "--text", "abc"},
      {"keyinfo"},
      {"keyinfo", "set"},
      {"keyinfo", "set", "--name", std::string(33, 'n')},
      {"keyinfo", "set", "--model-bytes", "01020304050607"},
      {"keyinfo", "set", "--name", "x", "--password", "12345678"},
      {"encrypt", "--selector", "2", "--text", "x"},
      {"encrypt"},
      {"decrypt", "--hex", "00112233445566"},
      {"decrypt", "--hex", ""},
      {"sha1", "--text", "x"},
      {"sha1", "--selector", "256", "--text", "x"},
      {"sha1", "--selector", "0", "--text", std::string(239, 'x')},
  };
  for (const std::vector<std::string>& words : bad) {
    std::string line;
    for (const std::string& word : words) line += " " + word.substr(0, 40);
    const Outcome run = Quill(words);
    EXPECT_EQ(run.status, 2) << line << "\n" << run.err;
    EXPECT_EQ(run.err.rfind("quill: ", 0), 0u) << line << "\n" << run.err;
    EXPECT_NE(run.err.find("\nTry 'quill "), std::string::npos) << line << "\n" << run.err;
  }
  EXPECT_EQ(server.Stats(id).exchanges, 0u) << "a usage error was found after using the token";
  std::remove(big.c_str());

  const Outcome run = Quill({"storage", "read", "--area", "user", "--length", "0", "--json"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out.rfind(R"({"ok":false,"error":{"message":"storage read: --length must be)", 0),
            0u)
      << run.out;
  EXPECT_NE(run.out.find(R"("usage":true}})"), std::string::npos) << run.out;
}

// --- the virtual token program ------------------------------------------------

TEST_F(QuillToolTest, VtokenServesTokensUntilTerminated) {
  const std::string ready = TempPath("ready");
  std::remove(ready.c_str());
  QuillProcess vtoken(
      {"vtoken", "--token", "hid:B", "--uid", std::string(64, 'c'), "--ready-file", ready}, "", "");
  std::string lines;
  for (int i = 0; i < 1000 && lines.find("ready\n") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines = ReadWholeFile(ready);
  }
  ASSERT_NE(lines.find("ready\n"), std::string::npos) << lines;
  const size_t address = lines.find("127.0.0.1:");
  ASSERT_EQ(lines.rfind("token 0 hid B ", 0), 0u) << lines;
  endpoints = lines.substr(address, lines.find('\n') - address);

  const Outcome list = Quill({"list", "--json"});
  EXPECT_EQ(list.status, 0) << list.err;
  uint8_t value[32];
  for (uint8_t& byte : value) byte = 0xCC;
  char uid[kUidTextSize];
  FormatUid(value, uid);
  EXPECT_EQ(list.out, R"({"ok":true,"tokens":[{"position":0,"model":"B","uid":")" +
                          std::string(uid) + "\"}]}\n");

  vtoken.Terminate();
  EXPECT_EQ(vtoken.Finish().status, 0);
  std::remove(ready.c_str());
}

}  // namespace
}  // namespace quill
