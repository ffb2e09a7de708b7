#include "pending_writes.h"

#include <utility>

namespace quill {

std::string* PendingWrites::Add(std::string bytes) {
  buffers_.push_back(std::make_unique<std::string>(std::move(bytes)));
  return buffers_.back().get();
}

bool PendingWrites::Finish(const void* userData) {
  for (auto it = buffers_.begin(); it != buffers_.end(); ++it) {
    if (it->get() == userData) {
      buffers_.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace quill
