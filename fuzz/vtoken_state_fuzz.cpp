// The virtual token's state file on any text: as it comes, and with a
// matching checksum line added so that the entries themselves are reached.
// What parses must format back to a file that parses to the same states.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "crypto/md5.h"
#include "hex.h"
#include "vtoken/state_file.h"

namespace {

void ParseAndCheck(const std::string& text) {
  quill::StoredStates states;
  quill::StateFileError error;
  if (!quill::ParseStateFile(text, &states, &error)) {
    if (error.line < 1 || error.message.empty()) std::abort();
    return;
  }
  const std::string formatted = quill::FormatStateFile(states);
  quill::StoredStates again;
  if (!quill::ParseStateFile(formatted, &again, &error)) std::abort();
  if (quill::FormatStateFile(again) != formatted) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParseAndCheck(text);

  std::string sealed = text;
  if (!sealed.empty() && sealed.back() != '\n') sealed += '\n';
  uint8_t digest[quill::kMd5DigestSize];
  quill::Md5Digest(reinterpret_cast<const uint8_t*>(sealed.data()), sealed.size(), digest);
  sealed += "checksum " + quill::HexEncode(digest, sizeof(digest)) + "\n";
  ParseAndCheck(sealed);
  return 0;
}
