// Discovery and exchanges against virtual tokens over real loopback sockets.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "loopback_platform.h"
#include "token.h"
#include "vtoken/server.h"

namespace quill {
namespace {

std::string ExpectedUid(const TokenUidValue& value) {
  char uid[kUidTextSize];
  FormatUid(value.data(), uid);
  return uid;
}

std::string TempLockPath() {
  char pattern[] = "/tmp/quill-lock-XXXXXX";
  const int fd = mkstemp(pattern);
  close(fd);
  return pattern;
}

class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.Start()) << server.LastError(); }
  void TearDown() override {
    server.Stop();
    unlink(lockPath.c_str());
  }
  int Add(TokenKind kind, TokenModel model) {
    TokenSpec spec;
    spec.kind = kind;
    spec.model = model;
    const int id = server.AddToken(spec);
    endpoints.push_back(server.Endpoint(id));
    return id;
  }

  VirtualTokenServer server;
  std::vector<std::string> endpoints;
  std::string lockPath = TempLockPath();
};

struct Found {
  int result = -1;
  int count = 0;
  TokenHandle handles[kMaxTokens] = {};
  std::vector<std::string> uids;
};

Found Find(TokenModel model) {
  Found found;
  found.result = TokenFind(model, found.handles, &found.count);
  for (int i = 0; i < found.count; ++i) {
    char uid[kUidTextSize] = {};
    if (TokenGetUID(found.handles[i], uid) == 0) found.uids.push_back(uid);
  }
  return found;
}

TEST_F(LoopbackTest, FindsBothKindsOfEachModelStorageFaceFirst) {
  const int hidA = Add(TokenKind::kHid, TokenModel::kA);
  const int cdromA = Add(TokenKind::kCdrom, TokenModel::kA);
  const int hidB = Add(TokenKind::kHid, TokenModel::kB);
  const int cdromB = Add(TokenKind::kCdrom, TokenModel::kB);
  LoopbackPlatform platform(endpoints, lockPath);

  const Found a = Find(TokenModel::kA);
  EXPECT_EQ(a.result, 0);
  ASSERT_EQ(a.uids.size(), 2u);
  EXPECT_EQ(a.uids[0], ExpectedUid(server.Spec(cdromA).uid.value()));
  EXPECT_EQ(a.uids[1], ExpectedUid(server.Spec(hidA).uid.value()));

  const Found b = Find(TokenModel::kB);
  ASSERT_EQ(b.uids.size(), 2u);
  EXPECT_EQ(b.uids[0], ExpectedUid(server.Spec(cdromB).uid.value()));
  EXPECT_EQ(b.uids[1], ExpectedUid(server.Spec(hidB).uid.value()));
  EXPECT_EQ(server.Stats(hidA).exchanges, 2u) << "one UID read at discovery, one after";
}

TEST_F(LoopbackTest, NoTokenAnswering) {
  const int token = Add(TokenKind::kHid, TokenModel::kA);
  LoopbackPlatform platform(endpoints, lockPath);
  server.Unplug(token);
  const Found found = Find(TokenModel::kA);
  EXPECT_EQ(found.result, 1);
  EXPECT_EQ(found.count, 0);
  EXPECT_EQ(TokenGetLastError(), 84);

  ASSERT_TRUE(server.Plug(token));
  EXPECT_EQ(Find(TokenModel::kA).count, 1) << "plugged again on the same port";
}

TEST_F(LoopbackTest, SilentTokenIsLeftOutOfTheResult) {
  Add(TokenKind::kHid, TokenModel::kA);
  const int silent = Add(TokenKind::kCdrom, TokenModel::kA);
  Add(TokenKind::kCdrom, TokenModel::kA);
  server.InjectFault(silent, Fault{FaultKind::kDrop, 0}, 0);
  LoopbackPlatform platform(endpoints, lockPath);
  const Found found = Find(TokenModel::kA);
  EXPECT_EQ(found.result, 0);
  EXPECT_EQ(found.count, 2);
}

TEST_F(LoopbackTest, DamagedAnswerIsRetriedAndAVanishedTokenIsNot) {
  const int token = Add(TokenKind::kHid, TokenModel::kA);
  LoopbackPlatform platform(endpoints, lockPath);
  const Found found = Find(TokenModel::kA);
  ASSERT_EQ(found.count, 1);

  server.InjectFault(token, Fault{FaultKind::kCrc, 0}, 2);
  const uint64_t before = server.Stats(token).exchanges;
  char uid[kUidTextSize];
  EXPECT_EQ(TokenGetUID(found.handles[0], uid), 0);
  EXPECT_EQ(server.Stats(token).exchanges - before, 3u);

  server.InjectFault(token, Fault{FaultKind::kDrop, 0}, 1);
  EXPECT_EQ(TokenGetUID(found.handles[0], uid), 2);
  EXPECT_EQ(Library().store.LastOsError(), 1167u);
  EXPECT_EQ(server.Stats(token).exchanges - before, 4u) << "no retry after the peer closed";
}

TEST_F(LoopbackTest, StatusFaultsReachTheStore) {
  const int token = Add(TokenKind::kCdrom, TokenModel::kB);
  LoopbackPlatform platform(endpoints, lockPath);
  const Found found = Find(TokenModel::kB);
  ASSERT_EQ(found.count, 1);
  char uid[kUidTextSize];
  server.InjectFault(token, Fault{FaultKind::kStatus, 0xE2}, 1);
  EXPECT_EQ(TokenGetUID(found.handles[0], uid), 2);
  EXPECT_EQ(Library().store.At(0), 257);
  EXPECT_EQ(Library().store.At(1), 53);
  server.InjectFault(token, Fault{FaultKind::kStatusWord, 0x6982}, 1);
  EXPECT_EQ(TokenGetUID(found.handles[0], uid), 2);
  EXPECT_EQ(TokenGetLastError(), 522);
}

// Runs rounds of UID reads in a child process; exits 0 when all succeeded.
pid_t StartClient(const std::vector<std::string>& endpoints, const std::string& lockPath,
                  int rounds) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  int failures = 0;
  {
    LoopbackPlatform platform(endpoints, lockPath);
    TokenHandle handles[kMaxTokens];
    int count = 0;
    if (TokenFind(TokenModel::kA, handles, &count) != 0) _exit(3);
    char uid[kUidTextSize];
    for (int i = 0; i < rounds; ++i) failures += TokenGetUID(handles[0], uid) != 0;
  }
  _exit(failures == 0 ? 0 : 1);
}

uint64_t RunTwoClients(VirtualTokenServer& server, int token,
                       const std::vector<std::string>& endpoints, const std::string& lockA,
                       const std::string& lockB) {
  const uint64_t before = server.Stats(token).interleaved;
  const pid_t first = StartClient(endpoints, lockA, 15);
  const pid_t second = StartClient(endpoints, lockB, 15);
  for (pid_t pid : {first, second}) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  return server.Stats(token).interleaved - before;
}

TEST_F(LoopbackTest, TwoProcessesTakeTurnsUnderTheLock) {
  const int token = Add(TokenKind::kHid, TokenModel::kA);
  server.InjectFault(token, Fault{FaultKind::kDelay, 4}, 0);  // widen every exchange
  EXPECT_EQ(RunTwoClients(server, token, endpoints, lockPath, lockPath), 0u);

  // The same with a lock file each: the token does see them interleave.
  const std::string otherLock = TempLockPath();
  EXPECT_GT(RunTwoClients(server, token, endpoints, lockPath, otherLock), 0u);
  unlink(otherLock.c_str());
}

}  // namespace
}  // namespace quill
