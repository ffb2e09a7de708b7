#include "token_stats.h"

namespace quill {

void CommandLog::Add(const CommandRecord& record) {
  if (records_.size() == kCommandLogSize) records_.pop_front();
  records_.push_back(record);
}

std::vector<CommandRecord> CommandLog::Snapshot() const {
  return std::vector<CommandRecord>(records_.begin(), records_.end());
}

}  // namespace quill
