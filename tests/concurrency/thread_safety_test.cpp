// Several threads of one process using the control and the library at once,
// as a browser does with control instances on two apartment threads: members
// through the member table, storage reads and writes that must each see their
// own thread's data, discovery racing with transfers, and the error store.
// Built with ThreadSanitizer by scripts/run-tsan-tests.sh; a data race there
// is a failure even when every check below holds.
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "control_fixture.h"
#include "member_table.h"

namespace quill {
namespace {

constexpr int kThreads = 4;

// Runs body(thread index) on count threads at once and waits for them all.
void RunTogether(int count, const std::function<void(int)>& body) {
  std::atomic<int> waiting{count};
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t) {
    threads.emplace_back([&, t] {
      --waiting;
      while (waiting.load() > 0) std::this_thread::yield();
      body(t);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

// A member called the way both faces call it: by name through the table.
ScriptValue Call(const char* name, ScriptArgs args = {}) {
  const MemberInfo* member = FindMember(name, MemberKind::kMethod);
  ScriptValue result;
  if (member == nullptr || !InvokeMember(*member, args, &result)) return std::monostate();
  return result;
}

std::string TextOf(const ScriptValue& value) {
  const ScriptText* text = std::get_if<ScriptText>(&value);
  return text == nullptr ? std::string("<not a text>") : Utf8(*text);
}

int32_t LongOf(const ScriptValue& value) {
  const int32_t* number = std::get_if<int32_t>(&value);
  return number == nullptr ? INT32_MIN : *number;
}

// Text of the given length that names its thread in every character.
std::string OwnText(int thread, size_t length) {
  return std::string(length, static_cast<char>('A' + thread));
}

class ThreadSafetyTest : public ControlTest {
 protected:
  void SetUp() override {
    id = AddToken();
    Connect();
  }
  int id = 0;
};

TEST_F(ThreadSafetyTest, MembersCalledFromSeveralThreadsGiveTheirSingleThreadResults) {
  const std::string uid = UidOf(id);
  std::atomic<int> wrong{0};
  RunTogether(kThreads, [&](int) {
    for (int i = 0; i < 15; ++i) {
      if (LongOf(Call("QuillCheckExist")) != 1) ++wrong;
      if (TextOf(Call("QuillGetUID")) != uid) ++wrong;
      if (TextOf(Call("QuillGetUIDByIndex", {int32_t{0}})) != uid) ++wrong;
      if (LongOf(Call("QuillIsConnected", {Text(uid)})) != 0) ++wrong;
      Call("QuillGetLastError");
    }
  });
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ThreadSafetyTest, EachThreadReadsBackItsOwnStorage) {
  constexpr size_t kLength = 48;
  constexpr int32_t kRegion = 512;
  std::atomic<int> failedWrites{0};
  std::atomic<int> foreignReads{0};
  RunTogether(2, [&](int t) {
    const std::string own = OwnText(t, kLength);
    const int32_t start = t * kRegion;
    if (LongOf(Call("QuillWriteUserStorageEx", {start, Text(own)})) != 0) ++failedWrites;
    for (int i = 0; i < 40; ++i) {
      if (TextOf(Call("QuillReadUserStorageEx", {start, int32_t{kLength}})) != own) ++foreignReads;
    }
  });
  EXPECT_EQ(failedWrites.load(), 0);
  EXPECT_EQ(foreignReads.load(), 0);
  // What reached the token: each thread's text in its own region, nothing else.
  const auto area = server.Stored(id).userStorage;
  EXPECT_EQ(std::string(area.begin(), area.begin() + kLength), OwnText(0, kLength));
  EXPECT_EQ(std::string(area.begin() + kRegion, area.begin() + kRegion + kLength),
            OwnText(1, kLength));
}

TEST_F(ThreadSafetyTest, RediscoveryWhileAnotherThreadTransfers) {
  constexpr size_t kLength = 32;
  const std::string stored = OwnText(2, kLength);
  ASSERT_EQ(LongOf(Call("QuillWriteUserStorage", {Text(stored)})), 0);
  std::atomic<int> wrong{0};
  RunTogether(2, [&](int t) {
    for (int i = 0; i < 25; ++i) {
      if (t == 0) {
        // Logging out searches for the tokens again: a new device table.
        if (LongOf(Call("QuillClose")) != 0) ++wrong;
      } else if (TextOf(Call("QuillReadUserStorage", {int32_t{kLength}})) != stored) {
        ++wrong;
      }
    }
  });
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ThreadSafetyTest, LibraryDiscoveryRacingWithTransfersNeverActsOnAStaleTable) {
  // Straight at the library, as a second program in the process would: one
  // thread searches again and again, the other reads with the handle of its
  // own search. A read either succeeds with the token's data or fails
  // because its handle is no longer in the table; it never crashes.
  const std::vector<uint8_t> stored(16, 0x5A);
  TokenHandle first[kMaxTokens];
  int count = 0;
  ASSERT_EQ(TokenFind(TokenModel::kA, first, &count), 0);
  const TokenHandle handle = first[0];
  ASSERT_EQ(TokenWriteStorage(handle, 0, 16, stored.data()), 0);
  std::atomic<int> wrongData{0};
  std::atomic<int> reads{0};
  RunTogether(2, [&](int t) {
    TokenHandle mine = handle;
    for (int i = 0; i < 25; ++i) {
      if (t == 0) {
        TokenHandle found[kMaxTokens];
        int n = 0;
        TokenFind(TokenModel::kA, found, &n);
        continue;
      }
      std::vector<uint8_t> out(16, 0);
      if (TokenReadStorage(mine, 0, 16, out.data()) == 0) {
        ++reads;
        if (out != stored) ++wrongData;
      } else {
        TokenHandle found[kMaxTokens];
        int n = 0;
        if (TokenFind(TokenModel::kA, found, &n) == 0) mine = found[0];
      }
    }
  });
  EXPECT_EQ(wrongData.load(), 0);
  EXPECT_GT(reads.load(), 0);
}

TEST_F(ThreadSafetyTest, ErrorStoreCountsEveryRecordAndKeepsItsCapacity) {
  constexpr int kRecordsPerThread = 2000;
  TokenSetLastError(0);
  std::atomic<int> beyondCapacity{0};
  RunTogether(kThreads, [&](int t) {
    for (int i = 0; i < kRecordsPerThread; ++i) {
      const int held = TokenSetLastError(100 + t);
      if (held < 1 || held > static_cast<int>(ErrorStore::kCapacity)) ++beyondCapacity;
      if (TokenGetLastError() == 0) ++beyondCapacity;  // never empty while records arrive
    }
  });
  // The same number of records on one thread gives the count to expect.
  ErrorStore alone;
  for (int i = 0; i < kThreads * kRecordsPerThread; ++i) alone.Record(1, 0);
  EXPECT_EQ(beyondCapacity.load(), 0);
  EXPECT_EQ(Library().store.Count(), alone.Count());
}

}  // namespace
}  // namespace quill
