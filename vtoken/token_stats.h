// What a token has seen: counters and a bounded log of received commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace quill {

struct CommandRecord {
  uint8_t ins = 0;
  uint8_t p1 = 0;
  uint8_t p2 = 0;
  uint8_t lc = 0;
};

constexpr size_t kCommandLogSize = 4096;

struct TokenStats {
  uint64_t exchanges = 0;        // complete requests read
  uint64_t answers = 0;          // answers handed to the connection
  uint64_t damagedRequests = 0;  // requests that failed their checksum, length or marker check
  uint64_t interleaved = 0;      // requests read while another request of the server was in work
  uint64_t connections = 0;      // connections accepted
  std::vector<CommandRecord> commands;  // the last kCommandLogSize, oldest first
};

class CommandLog {
 public:
  void Add(const CommandRecord& record);
  std::vector<CommandRecord> Snapshot() const;

 private:
  std::deque<CommandRecord> records_;
};

}  // namespace quill
