// The reply buffers handed to the client for writing. Each stays alive until
// the client reports its write complete or cancelled; the buffer's address is
// the user data the client gives back, and only an address this list handed
// out is ever released.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quill {

class PendingWrites {
 public:
  // Takes a copy of the bytes; the returned buffer is also the write's user data.
  std::string* Add(std::string bytes);
  // The client is done with this buffer: releases it. False for an address
  // this list does not hold (nothing is released then).
  bool Finish(const void* userData);
  size_t Count() const { return buffers_.size(); }
  void Clear() { buffers_.clear(); }

 private:
  std::vector<std::unique_ptr<std::string>> buffers_;
};

}  // namespace quill
