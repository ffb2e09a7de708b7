// Answer frames after decryption: the frame parser on any 248 bytes (as they
// come, and sealed with a valid checksum so that the length, marker and
// status checks are reached), then whole token commands whose answers the
// fuzz input scripts (marker, status, status word, length field, data).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "error_codes.h"
#include "fake_platform.h"
#include "frame.h"
#include "status_map.h"
#include "token.h"

namespace {

using quill::AnswerCheck;
using quill::AnswerView;
using quill::Frame;

void CheckParsed(const Frame& frame) {
  AnswerView view;
  if (quill::ParseAnswerFrame(frame, &view) != AnswerCheck::kOk) return;
  if (view.length > quill::kMaxAnswerData) std::abort();
  if (view.data < frame.data() || view.data + view.length + 2 > frame.data() + frame.size() - 2) {
    std::abort();
  }
  volatile uint8_t sum = 0;  // every data byte is inside the frame
  for (size_t i = 0; i < view.length; ++i) sum = sum + view.data[i];
  const int code = quill::StatusCode(view.status, view.statusWord);
  if (code < 0) std::abort();
}

// Reads the fuzz input as a script of answers, one per request.
class Script {
 public:
  Script(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Done() const { return position_ >= size_; }
  uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  uint16_t Word() {
    const uint8_t high = Byte();
    return static_cast<uint16_t>(high << 8 | Byte());
  }

  quill::fake::Step NextStep() {
    quill::fake::Step step;
    const uint8_t flags = Byte();
    if (flags & 1) step.marker = Byte();
    if (flags & 2) step.status = Byte();
    if (flags & 4) step.statusWord = Word();
    if (flags & 8) step.lengthField = Word();
    if (flags & 16) {
      const size_t length = Byte() % (quill::kMaxAnswerData + 1);
      std::vector<uint8_t> bytes;
      for (size_t i = 0; i < length && !Done(); ++i) bytes.push_back(Byte());
      step.data = bytes;
    }
    return step;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

void RunCommands(const uint8_t* data, size_t size) {
  quill::fake::FakePlatform fake;
  auto token = fake.AddHidToken(0x04B4, 0xB328);
  token->Then(quill::fake::Step::Answer());  // discovery's UID request
  Script script(data, size);
  for (int i = 0; i < 24; ++i) token->Then(script.NextStep());

  quill::TokenHandle handles[quill::kMaxTokens];
  int count = 0;
  if (quill::TokenFind(quill::TokenModel::kA, handles, &count) != 0 || count == 0) return;
  const quill::TokenHandle handle = handles[0];

  char uid[quill::kUidTextSize];
  quill::TokenGetUID(handle, uid);
  char name[quill::kNameSize + 1], description[quill::kDescriptionSize + 1];
  char url[quill::kUrlSize + 1], other[quill::kOtherSize + 1];
  uint8_t model[quill::kModelSize];
  quill::TokenGetKeyInfo(handle, name, description, url, other, model);
  char identity[9];
  uint8_t version[8];
  int values[5];
  int value16 = 0;
  quill::TokenGetVersionInfo(handle, identity, version, values, &value16);
  char tag[33];
  quill::TokenGetUsageTag(handle, tag);
  uint8_t storage[300];
  quill::TokenReadStorage(handle, 0, sizeof(storage), storage);
  int length = sizeof(storage);
  quill::TokenSecureReadStorage(handle, quill::TokenAccessKey(), 0, &length, storage);
  uint8_t cipher[64] = {1, 2, 3, 4, 5, 6, 7, 8};
  size_t capacity = sizeof(storage);
  quill::TokenDecryptData(handle, 0, quill::TokenAccessKey(), cipher, sizeof(cipher), &capacity,
                          storage);
  capacity = sizeof(storage);
  quill::TokenEncryptData(handle, 0, quill::TokenAccessKey(), cipher, 20, &capacity, storage);
  uint8_t digest[20];
  quill::TokenSha1WithSeed(handle, 0, cipher, sizeof(cipher), digest);
  uint8_t answer[8];
  quill::TokenResetChallenge(handle, cipher, answer);
  quill::TokenGetLastError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Frame frame{};
  std::memcpy(frame.data(), data, size < frame.size() ? size : frame.size());
  CheckParsed(frame);
  quill::SealFrame(&frame);
  CheckParsed(frame);
  RunCommands(data, size);
  return 0;
}
