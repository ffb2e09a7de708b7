#include "status_map.h"

#include "error_codes.h"
#include "frame.h"

namespace quill {
namespace {

constexpr uint16_t kStatusWords[] = {0x6E00, 0x6D00, 0x6A86, 0x6700, 0x6701, 0x6B00, 0x65A0,
                                     0x6581, 0x6582, 0x6583, 0x6982, 0x6C00, 0x6585, 0x6984,
                                     0x6687, 0x7001, 0x7002, 0x7701, 0x7702, 0x7703};

}  // namespace

int StatusCode(uint8_t status, uint16_t statusWord) {
  switch (status) {
    case 0xE1:
      return kErrStatusE1;
    case 0xE2:
      return kErrStatusE2;
    case 0xE3:
      return kErrStatusE3;
    case kStatusProcessed:
      break;
    default:
      return 0;
  }
  for (size_t i = 0; i < sizeof(kStatusWords) / sizeof(kStatusWords[0]); ++i) {
    if (kStatusWords[i] == statusWord) return kErrStatusWordFirst + static_cast<int>(i);
  }
  return kErrStatusWordOther;
}

}  // namespace quill
