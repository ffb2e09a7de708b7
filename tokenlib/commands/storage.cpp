// The user storage and the key-protected secure storage, in chunks of 224 bytes.
#include "commands/storage.h"

#include "commands/command_codes.h"
#include "commands/command_support.h"
#include "library_lock.h"

namespace quill {
namespace {

constexpr int kChunk = 224;

bool InRange(int offset, int length, int size) {
  return offset >= 0 && length >= 0 && static_cast<int64_t>(offset) + length <= size;
}

uint8_t OffsetHigh(int offset) {
  return static_cast<uint8_t>((offset >> 8) & 0xFF);
}
uint8_t OffsetLow(int offset) {
  return static_cast<uint8_t>(offset & 0xFF);
}

// One chunk of the user storage: 0 or the exchange's result.
int UserChunk(TokenHandle handle, bool write, int offset, uint8_t* buffer, int length) {
  const uint16_t size = static_cast<uint16_t>(length);
  if (write) {
    return SendCommand(handle, kInsWriteStorage, OffsetHigh(offset), OffsetLow(offset), buffer,
                       size);
  }
  return ReadCommand(handle, kInsReadStorage, OffsetHigh(offset), OffsetLow(offset), nullptr, 0,
                     buffer, size);
}

// moved, when not null, counts the bytes of the chunks that succeeded.
int UserTransfer(TokenHandle handle, bool write, int offset, int length, uint8_t* buffer,
                 int* moved = nullptr) {
  if (moved != nullptr) *moved = 0;
  if (!CheckPresent(handle, true)) return 1;
  if (!InRange(offset, length, kUserStorageSize) || (length > 0 && buffer == nullptr)) {
    return Failed(kErrArgumentRange, 1);
  }
  const int failureCode = write ? kErrWriteCommand : kErrReadCommand;
  for (int done = 0; done < length; done += kChunk) {
    const int size = length - done < kChunk ? length - done : kChunk;
    if (UserChunk(handle, write, offset + done, buffer + done, size) != 0) {
      return Failed(failureCode, 2);
    }
    if (moved != nullptr) *moved += size;
  }
  return Succeeded();
}

void LastBlockMarker(TokenHandle handle, uint8_t p1) {
  SendCommand(handle, kInsSecureLastBlock, p1, 0, nullptr, 0);  // its outcome does not matter
}

// One chunk of the secure storage; adds the bytes moved to total.
int SecureChunk(TokenHandle handle, bool write, int offset, uint8_t* buffer, int length,
                int* total) {
  if (write) {
    const int result = SendCommand(handle, kInsSecureWriteStorage, OffsetHigh(offset),
                                   OffsetLow(offset), buffer, static_cast<size_t>(length));
    if (result == 0) *total += length;
    return result;
  }
  uint16_t received = static_cast<uint16_t>(length);
  const int result = TokenCommand(handle, kInsSecureReadStorage, OffsetHigh(offset),
                                  OffsetLow(offset), nullptr, 0, buffer, &received, true);
  if (result == 0) *total += received;
  return result;
}

// written, when not null, receives the bytes of the chunks written so far.
int SecureTransfer(TokenHandle handle, const uint8_t accessKey[8], bool write, int offset,
                   int* length, uint8_t* buffer, int* written = nullptr) {
  int unused = 0;
  int& total = written != nullptr ? *written : unused;  // kept current chunk by chunk
  total = 0;
  if (TokenVerifyAccessKey(handle, accessKey) != 0) return 1;
  const int wanted = length != nullptr ? *length : -1;
  if (!InRange(offset, wanted, kSecureStorageSize) || (wanted > 0 && buffer == nullptr)) {
    return Failed(kErrArgumentRange, 1);
  }
  const int failureCode = write ? kErrWriteCommand : kErrReadCommand;
  const int full = wanted / kChunk;
  const int rest = wanted % kChunk;
  if (full > 0) LastBlockMarker(handle, 0);
  for (int k = 0; k < full; ++k) {
    if (rest == 0 && k == full - 1) LastBlockMarker(handle, 1);
    if (SecureChunk(handle, write, offset + kChunk * k, buffer + kChunk * k, kChunk, &total) != 0) {
      return Failed(failureCode, 2);
    }
  }
  if (rest > 0) {
    LastBlockMarker(handle, 1);
    if (SecureChunk(handle, write, offset + kChunk * full, buffer + kChunk * full, rest, &total) !=
        0) {
      return Failed(failureCode, 2);
    }
  }
  if (!write) *length = total;
  LastBlockMarker(handle, 0);
  return Succeeded();
}

}  // namespace

int TokenReadStorage(TokenHandle handle, int offset, int length, uint8_t* out) {
  const LibraryLock lock;
  return UserTransfer(handle, false, offset, length, out);
}

int TokenWriteStorage(TokenHandle handle, int offset, int length, const uint8_t* data) {
  return TokenWriteStorageCounted(handle, offset, length, data, nullptr);
}

int TokenWriteStorageCounted(TokenHandle handle, int offset, int length, const uint8_t* data,
                             int* written) {
  const LibraryLock lock;
  return UserTransfer(handle, true, offset, length, const_cast<uint8_t*>(data), written);
}

int TokenSecureWriteStorageCounted(TokenHandle handle, const uint8_t accessKey[8], int offset,
                                   int length, const uint8_t* data, int* written) {
  const LibraryLock lock;
  return SecureTransfer(handle, accessKey, true, offset, &length, const_cast<uint8_t*>(data),
                        written);
}

int TokenVerifyAccessKey(TokenHandle handle, const uint8_t accessKey[8]) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  if (accessKey == nullptr) return Failed(kErrAccessKeyRejected, 2);
  if (SendCommand(handle, kInsPresentAccessKey, 0, 0, accessKey, 8) != 0) {
    return Failed(kErrAccessKeyRejected, 2);
  }
  return Succeeded();
}

int TokenSecureReadStorage(TokenHandle handle, const uint8_t accessKey[8], int offset, int* length,
                           uint8_t* out) {
  const LibraryLock lock;
  return SecureTransfer(handle, accessKey, false, offset, length, out);
}

int TokenSecureWriteStorage(TokenHandle handle, const uint8_t accessKey[8], int offset, int length,
                            const uint8_t* data) {
  return TokenSecureWriteStorageCounted(handle, accessKey, offset, length, data, nullptr);
}

int TokenReadMemory(TokenHandle handle, int offset, int length, uint8_t* out) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  if (!InRange(offset, length, kMemorySize) || (length > 0 && out == nullptr)) {
    return Failed(kErrArgumentRange, 2);
  }
  if (ReadCommand(handle, kInsReadMemory, static_cast<uint8_t>(offset), 0, nullptr, 0, out,
                  static_cast<uint16_t>(length)) != 0) {
    return Failed(kErrReadCommand, 2);
  }
  return Succeeded();
}

int TokenWriteMemory(TokenHandle handle, int offset, int length, const uint8_t* data) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  if (!InRange(offset, length, kMemorySize) || (length > 0 && data == nullptr)) {
    return Failed(kErrArgumentRange, 2);
  }
  if (SendCommand(handle, kInsWriteMemory, static_cast<uint8_t>(offset), 0, data,
                  static_cast<size_t>(length)) != 0) {
    return Failed(kErrWriteCommand, 2);
  }
  return Succeeded();
}

}  // namespace quill
