// The state file: its text form, refusal of damaged files, the durable
// replacement, and the server keeping and reloading its tokens' state.
#include "state_file.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "crypto/md5.h"
#include "durable_file.h"
#include "raw_client.h"
#include "server.h"

namespace quill {
namespace {

const AccessKey kAccessKey = {0xA8, 0x84, 0x8E, 0x76, 0x90, 0x3F, 0x38, 0x6C};

StoredTokenState SampleState(int id) {
  TokenSettings settings;
  settings.usageTag = "tag " + std::to_string(id);
  StoredTokenState state = DefaultTokenState(DefaultUid(id), settings, kAccessKey);
  for (size_t i = 0; i < state.userStorage.size(); ++i) {
    state.userStorage[i] = static_cast<uint8_t>(i * 7 + static_cast<size_t>(id));
  }
  state.secureStorage.back() = 0x5C;
  state.memory[0] = 0x3E;
  state.keyInfo[231] = 0xFF;
  state.remoteValues[96] = 0xE5;
  state.requestEnabled = 0;
  return state;
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A fresh empty folder for one test, removed with its files afterwards.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/quill-state-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempFolder() {
    chmod(path_.c_str(), 0700);
    for (const std::string& name : Files()) std::remove((path_ + "/" + name).c_str());
    rmdir(path_.c_str());
  }
  std::string Path() const { return path_; }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    if (DIR* folder = opendir(path_.c_str())) {
      while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(folder);
    }
    return names;
  }

 private:
  std::string path_;
};

TEST(StateFileTest, RoundTripKeepsEveryItemOfEveryToken) {
  const StoredStates states = {{0, SampleState(0)}, {3, SampleState(3)}};
  const std::string text = FormatStateFile(states);
  EXPECT_EQ(text.rfind("quill-vtoken-state 1\ntoken 0 uid 01080f", 0), 0u);
  StoredStates parsed;
  StateFileError error;
  ASSERT_TRUE(ParseStateFile(text, &parsed, &error)) << error.line << ": " << error.message;
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_TRUE(parsed.at(0) == states.at(0));
  EXPECT_TRUE(parsed.at(3) == states.at(3));
  EXPECT_TRUE(parsed.at(0) != parsed.at(3));

  ASSERT_TRUE(ParseStateFile(FormatStateFile({}), &parsed, &error));
  EXPECT_TRUE(parsed.empty());
}

TEST(StateFileTest, RefusesDamagedFilesNamingTheLine) {
  const std::string good = FormatStateFile({{0, SampleState(0)}});
  const int lines = static_cast<int>(std::count(good.begin(), good.end(), '\n'));
  const size_t memoryLine = good.find("token 0 memory ");
  ASSERT_NE(memoryLine, std::string::npos);
  const int memoryLineNumber =
      1 + static_cast<int>(std::count(good.begin(), good.begin() + memoryLine, '\n'));

  struct Case {
    const char* what;
    std::string text;
    int line;
    const char* message;
  };
  std::string flippedDigit = good;
  flippedDigit[memoryLine + 16] = flippedDigit[memoryLine + 16] == '0' ? '1' : '0';
  std::string notHex = good;
  notHex[memoryLine + 16] = 'g';
  std::string flippedChecksum = good;
  flippedChecksum[good.size() - 2] = flippedChecksum[good.size() - 2] == 'a' ? 'b' : 'a';
  std::string unknownItem = good;
  unknownItem.replace(memoryLine + 8, 6, "memorx");
  std::string otherVersion = good;
  otherVersion[19] = '2';
  const Case cases[] = {
      {"one hex digit changed", flippedDigit, lines, "checksum"},
      {"a character that is not hex", notHex, memoryLineNumber, "hexadecimal"},
      {"the checksum changed", flippedChecksum, lines, "checksum"},
      {"an unknown item", unknownItem, memoryLineNumber, "unknown item"},
      {"another version", otherVersion, 1, "version"},
      {"cut short", good.substr(0, good.size() / 2), 0, "cut off"},
      {"without its last line feed", good.substr(0, good.size() - 1), lines, "cut off"},
      {"without the checksum line", good.substr(0, good.rfind("checksum")), 0, "checksum"},
      {"empty", "", 1, "empty"},
      {"something else", "hello\n", 1, "not a quill-vtoken state file"},
  };
  for (const Case& c : cases) {
    StoredStates parsed = {{7, SampleState(7)}};
    StateFileError error;
    EXPECT_FALSE(ParseStateFile(c.text, &parsed, &error)) << c.what;
    if (c.line != 0) {
      EXPECT_EQ(error.line, c.line) << c.what;
    }
    EXPECT_GT(error.line, 0) << c.what;
    EXPECT_NE(error.message.find(c.message), std::string::npos) << c.what << ": " << error.message;
    EXPECT_EQ(parsed.size(), 1u) << "a refused file changes nothing";
  }

  // A file whose checksum is right but that lacks an item.
  std::string body = good.substr(0, good.rfind("checksum"));
  const size_t seedLine = body.find("token 0 seed1 ");
  body.erase(seedLine, body.find('\n', seedLine) + 1 - seedLine);
  const std::string reformatted = body + "checksum " + [&] {
    uint8_t digest[16];
    Md5Digest(reinterpret_cast<const uint8_t*>(body.data()), body.size(), digest);
    char hex[33];
    for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    return std::string(hex);
  }() + "\n";
  StoredStates parsed;
  StateFileError error;
  EXPECT_FALSE(ParseStateFile(reformatted, &parsed, &error));
  EXPECT_NE(error.message.find("seed1"), std::string::npos) << error.message;
}

TEST(DurableFileTest, ReplacesTheFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string path = folder.Path() + "/state";
  std::string error;
  ASSERT_TRUE(ReplaceFileDurably(path, "first\n", &error)) << error;
  ASSERT_TRUE(ReplaceFileDurably(path, "second\n", &error)) << error;
  EXPECT_EQ(ReadText(path), "second\n");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"state"});

  std::string text;
  bool missing = false;
  EXPECT_TRUE(ReadWholeFile(path, &text, &missing, &error));
  EXPECT_EQ(text, "second\n");
  EXPECT_FALSE(ReadWholeFile(folder.Path() + "/none", &text, &missing, &error));
  EXPECT_TRUE(missing);
  EXPECT_FALSE(ReadWholeFile(folder.Path(), &text, &missing, &error)) << "a folder";
  EXPECT_FALSE(missing);
}

// A write that fails halfway (the file size limit stands in for a full disk)
// leaves the old file whole and no temporary file behind.
TEST(DurableFileTest, AFailedWriteLeavesTheOldFileIntact) {
  TempFolder folder;
  const std::string path = folder.Path() + "/state";
  std::string error;
  ASSERT_TRUE(ReplaceFileDurably(path, "old contents\n", &error));

  rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit small = previous;
  small.rlim_cur = 4096;
  const sighandler_t previousHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = ReplaceFileDurably(path, std::string(100000, 'x'), &error);
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written);
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(ReadText(path), "old contents\n");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"state"});
}

TEST(DurableFileTest, AReadOnlyFolderIsReportedAndTheOldFileStays) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempFolder folder;
  const std::string path = folder.Path() + "/state";
  std::string error;
  ASSERT_TRUE(ReplaceFileDurably(path, "old contents\n", &error));
  ASSERT_EQ(chmod(folder.Path().c_str(), 0500), 0);
  EXPECT_FALSE(ReplaceFileDurably(path, "new contents\n", &error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_EQ(ReadText(path), "old contents\n");
}

// Runs commands against a server token over its socket.
class StateServerTest : public ::testing::Test {
 protected:
  uint16_t Exchange(VirtualTokenServer& server, int id, uint8_t ins, std::vector<uint8_t> data,
                    uint8_t le = 0, std::vector<uint8_t>* answer = nullptr) {
    RawClient client(TokenKind::kHid, server.Port(id));
    client.ReadHello();
    TokenApdu apdu;
    apdu.ins = ins;
    apdu.data = data.empty() ? nullptr : data.data();
    apdu.lc = data.size();
    apdu.le = le;
    Frame frame;
    AnswerView view;
    if (!client.Exchange(apdu, &frame) || ParseAnswerFrame(frame, &view) != AnswerCheck::kOk) {
      return 0;
    }
    if (answer != nullptr) answer->assign(view.data, view.data + view.length);
    return view.statusWord;
  }

  TempFolder folder_;
  std::string path_ = folder_.Path() + "/tokens.state";
};

TEST_F(StateServerTest, KeepsStoredStateAcrossServersAndReloads) {
  TokenSpec spec;
  spec.settings.usageTag = "door";
  std::vector<uint8_t> uid;
  {
    VirtualTokenServer server(kTestFrameKey, kAccessKey);
    ASSERT_TRUE(server.UseStateFile(path_)) << server.LastError();
    std::vector<std::string> files = folder_.Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"tokens.state", "tokens.state.lock"}))
        << "created at once, beside its lock";
    ASSERT_TRUE(server.Start());
    ASSERT_EQ(server.AddToken(spec), 0);
    ASSERT_EQ(server.AddToken(TokenSpec()), 1);
    EXPECT_EQ(Exchange(server, 1, 0x0E, {1, 2, 3}), 0x9000);
    EXPECT_EQ(Exchange(server, 0, 0x3F, {}, 32, &uid), 0x9000);
  }
  StoredStates saved;
  StateFileError error;
  ASSERT_TRUE(ParseStateFile(ReadText(path_), &saved, &error)) << error.message;
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved.at(1).userStorage[2], 3);

  // A second server takes the state from the file, not from its specs.
  VirtualTokenServer server(kTestFrameKey, kAccessKey);
  ASSERT_TRUE(server.UseStateFile(path_));
  ASSERT_TRUE(server.Start());
  TokenSpec other;
  other.uid = TokenUidValue();
  ASSERT_EQ(server.AddToken(other), 0);
  ASSERT_EQ(server.AddToken(TokenSpec()), 1);
  std::vector<uint8_t> answer;
  EXPECT_EQ(Exchange(server, 0, 0x3F, {}, 32, &answer), 0x9000);
  EXPECT_EQ(answer, uid);
  EXPECT_EQ(Exchange(server, 0, 0x41, {}, 32, &answer), 0x9000);
  EXPECT_EQ(std::string(answer.begin(), answer.begin() + 4), "door");
  EXPECT_EQ(Exchange(server, 1, 0x0F, {}, 3, &answer), 0x9000);
  EXPECT_EQ(answer, (std::vector<uint8_t>{1, 2, 3}));

  // Reload: the tokens take what the file says now.
  StoredTokenState changed = saved.at(1);
  changed.userStorage[0] = 0x77;
  saved[1] = changed;
  WriteText(path_, FormatStateFile(saved));
  ASSERT_TRUE(server.ReloadState()) << server.LastError();
  EXPECT_EQ(Exchange(server, 1, 0x0F, {}, 1, &answer), 0x9000);
  EXPECT_EQ(answer, std::vector<uint8_t>{0x77});

  // A damaged file is refused and changes nothing.
  std::string text = ReadText(path_);
  text[text.find("token 1 user ") + 13] ^= 0x01;
  WriteText(path_, text);
  EXPECT_FALSE(server.ReloadState());
  EXPECT_NE(server.LastError().find(path_ + ", line "), std::string::npos) << server.LastError();
  EXPECT_EQ(server.Stored(1).userStorage[0], 0x77);
  EXPECT_EQ(ReadText(path_), text) << "never written over";
}

TEST_F(StateServerTest, ASecondUserOfOneStateFileIsRefusedUntilTheFirstEnds) {
  auto first = std::make_unique<VirtualTokenServer>(kTestFrameKey, kAccessKey);
  ASSERT_TRUE(first->UseStateFile(path_)) << first->LastError();
  ASSERT_TRUE(first->Start());
  ASSERT_EQ(first->AddToken(TokenSpec()), 0);
  EXPECT_EQ(Exchange(*first, 0, 0x0E, {9}), 0x9000);
  const std::string saved = ReadText(path_);

  VirtualTokenServer second(kTestFrameKey, kAccessKey);
  EXPECT_FALSE(second.UseStateFile(path_));
  EXPECT_NE(second.LastError().find("state file " + path_ + " is in use"), std::string::npos)
      << second.LastError();
  // The refused server does not write: adding a token saves nothing.
  ASSERT_EQ(second.AddToken(TokenSpec()), 0);
  EXPECT_EQ(ReadText(path_), saved);
  // Opening the same file again in the same server is no second user.
  EXPECT_TRUE(first->UseStateFile(path_)) << first->LastError();

  first.reset();
  EXPECT_TRUE(second.UseStateFile(path_)) << second.LastError();
  EXPECT_EQ(second.Stored(0).userStorage[0], 9);
}

}  // namespace
}  // namespace quill
