// Key information, identity record, version text, request flag and usage tag.
#include <cstring>

#include "commands/command_codes.h"
#include "commands/command_support.h"
#include "library_lock.h"

namespace quill {
namespace {

// Copies a field of up to size bytes as a terminated text.
void ReadField(const uint8_t* field, size_t size, char* text) {
  size_t length = 0;
  while (length < size && field[length] != 0) ++length;
  std::memcpy(text, field, length);
  text[length] = '\0';
}

// Copies a text up to its terminator or size bytes; the rest stays zero.
void WriteField(const char* text, size_t size, uint8_t* field) {
  if (text == nullptr) return;
  for (size_t i = 0; i < size && text[i] != '\0'; ++i) field[i] = static_cast<uint8_t>(text[i]);
}

constexpr size_t kDescriptionOffset = kNameSize;
constexpr size_t kUrlOffset = kDescriptionOffset + kDescriptionSize;
constexpr size_t kOtherOffset = kUrlOffset + kUrlSize;
constexpr size_t kModelOffset = kOtherOffset + kOtherSize;
static_assert(kModelOffset + kModelSize == kKeyInfoSize, "key information layout");

}  // namespace

int TokenGetKeyInfo(TokenHandle handle, char name[kNameSize + 1],
                    char description[kDescriptionSize + 1], char url[kUrlSize + 1],
                    char other[kOtherSize + 1], uint8_t model[kModelSize]) {
  const LibraryLock lock;
  if (!CheckPresent(handle, false)) return 1;
  uint8_t record[kKeyInfoSize];
  if (ReadCommand(handle, kInsReadKeyInfo, 0, 0, nullptr, 0, record, kKeyInfoSize) != 0) {
    return Failed(kErrKeyInfoRead, 1);
  }
  if (name != nullptr) ReadField(record, kNameSize, name);
  if (description != nullptr) ReadField(record + kDescriptionOffset, kDescriptionSize, description);
  if (url != nullptr) ReadField(record + kUrlOffset, kUrlSize, url);
  if (other != nullptr) ReadField(record + kOtherOffset, kOtherSize, other);
  if (model != nullptr) std::memcpy(model, record + kModelOffset, kModelSize);
  return Succeeded();
}

int TokenSetKeyInfo(TokenHandle handle, const char* name, const char* description, const char* url,
                    const char* other, const uint8_t model[kModelSize]) {
  const LibraryLock lock;
  if (!CheckPresent(handle, false)) return 1;
  uint8_t record[kKeyInfoSize] = {};
  WriteField(name, kNameSize, record);
  WriteField(description, kDescriptionSize, record + kDescriptionOffset);
  WriteField(url, kUrlSize, record + kUrlOffset);
  WriteField(other, kOtherSize, record + kOtherOffset);
  if (model != nullptr) std::memcpy(record + kModelOffset, model, kModelSize);
  if (SendCommand(handle, kInsWriteKeyInfo, 0, 0, record, kKeyInfoSize) != 0) {
    return Failed(kErrKeyInfoWrite, 1);
  }
  return Succeeded();
}

int TokenGetVersionInfo(TokenHandle handle, char identity[9], uint8_t version[8], int values[5],
                        int* value16) {
  const LibraryLock lock;
  if (!CheckPresent(handle, false)) return 1;
  uint8_t record[18];
  if (ReadCommand(handle, kInsIdentity, 0, 0, nullptr, 0, record, sizeof(record)) != 0) {
    return Failed(kErrIdentityCommand, 1);
  }
  if (identity != nullptr) ReadField(record, 8, identity);
  if (values != nullptr) {
    for (int i = 0; i < 5; ++i) values[i] = record[8 + i];
  }
  if (value16 != nullptr) *value16 = record[16] | record[17] << 8;
  uint8_t text[8];
  if (ReadCommand(handle, kInsVersion, 0, 0, nullptr, 0, text, sizeof(text)) != 0) {
    return Failed(kErrVersionCommand, 2);
  }
  if (version != nullptr) std::memcpy(version, text, sizeof(text));
  return Succeeded();
}

int TokenGetRequestEnabled(TokenHandle handle, int* enabled) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  uint8_t flag = 0;
  if (ReadCommand(handle, kInsRequestEnabled, 0, 0, nullptr, 0, &flag, 1) != 0) return 2;
  if (enabled != nullptr) *enabled = flag != 0 ? 1 : 0;
  return Succeeded();
}

int TokenGetUsageTag(TokenHandle handle, char tag[33]) {
  const LibraryLock lock;
  if (!CheckPresent(handle, true)) return 1;
  uint8_t answer[32];
  if (ReadCommand(handle, kInsUsageTag, 0, 0, nullptr, 0, answer, sizeof(answer)) != 0) {
    return Failed(kErrUsageTagCommand, 1);
  }
  if (tag != nullptr) ReadField(answer, sizeof(answer), tag);
  return Succeeded();
}

}  // namespace quill
