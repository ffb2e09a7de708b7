#include "relay_codec.h"

#include <cstring>

#include "base64.h"

namespace quill {
namespace {

constexpr char kSeparator = ';';

// Whether text begins with word (only the word's length is compared).
bool BeginsWith(const char* text, const char* word) {
  return std::strncmp(text, word, std::strlen(word)) == 0;
}

bool CopyField(const char* begin, size_t length, char* slot, size_t slotSize) {
  if (length >= slotSize) return false;
  std::memcpy(slot, begin, length);
  slot[length] = '\0';
  return true;
}

bool FitsArgument(const std::string& text, size_t slotSize) {
  return text.size() < slotSize && text.find(kSeparator) == std::string::npos &&
         text.find('\0') == std::string::npos;
}

}  // namespace

bool BuildRequest(const std::string& command, const std::string& argument,
                  char (&out)[kRelayRequestBuffer], size_t* length) {
  std::memset(out, 0, sizeof(out));
  *length = 0;
  if (!FitsArgument(command, kRelayCommandSlot) || !FitsArgument(argument, kRelayArgumentSlot)) {
    return false;
  }
  const std::string text = "START;SERVER;" + command + ";" + argument + ";END;";
  // At most 13 + 15 + 1 + 127 + 5 bytes: always fits the buffer.
  std::memcpy(out, text.data(), text.size());
  *length = text.size();
  return true;
}

int SplitReply(const char* reply, size_t length, ReplyFields* fields) {
  std::memset(fields, 0, sizeof(*fields));
  const void* zero = std::memchr(reply, '\0', length);
  if (zero != nullptr) length = static_cast<size_t>(static_cast<const char*>(zero) - reply);

  struct Span {
    const char* begin;
    size_t length;
  };
  Span spans[kRelayMaxFields] = {};
  size_t found = 0;
  size_t i = 0;
  while (i < length && found < kRelayMaxFields) {
    while (i < length && reply[i] == kSeparator) ++i;
    if (i == length) break;
    const size_t begin = i;
    while (i < length && reply[i] != kSeparator) ++i;
    spans[found++] = Span{reply + begin, i - begin};
  }
  if (found < 5) return kSplitTooFewFields;

  char* slots[5] = {fields->frameStart, fields->sender, fields->status, fields->data,
                    fields->frameEnd};
  const size_t sizes[5] = {kRelayFieldSlot, kRelayFieldSlot, kRelayFieldSlot, kRelayDataSlot,
                           kRelayFieldSlot};
  for (size_t f = 0; f < 5; ++f) {
    if (!CopyField(spans[f].begin, spans[f].length, slots[f], sizes[f])) {
      std::memset(fields, 0, sizeof(*fields));
      return kSplitFieldTooLong;
    }
  }
  return kSplitOk;
}

int ParseReply(const char* reply, size_t length, char (&status)[kRelayFieldSlot],
               char (&data)[kRelayDataSlot]) {
  std::memset(status, 0, sizeof(status));
  std::memset(data, 0, sizeof(data));
  ReplyFields fields;
  const int split = SplitReply(reply, length, &fields);
  if (split != kSplitOk) return split;
  if (!BeginsWith(fields.frameStart, "START")) return 3;
  if (!BeginsWith(fields.frameEnd, "END")) return 4;
  if (!BeginsWith(fields.sender, "CLIENT")) return 5;
  std::memcpy(status, fields.status, sizeof(status));
  std::memcpy(data, fields.data, sizeof(data));
  return 0;
}

int CheckStatus(const char* status) {
  return BeginsWith(status, "OK") ? 0 : 1;
}

int DecodeData(const char* data, std::vector<uint8_t>* bytes) {
  bytes->clear();
  const size_t length = std::strlen(data);
  size_t capacity = 0;
  if (!Base64DecodedCapacity(data, length, &capacity)) return 1;
  if (!Base64Decode(data, length, bytes) || bytes->size() > capacity) {
    bytes->clear();
    return 1;
  }
  return 0;
}

}  // namespace quill
