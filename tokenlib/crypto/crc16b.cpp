// CRC_B of ISO/IEC 14443-3 Annex B.
#include "crypto/crc16b.h"

namespace quill {

uint16_t Crc16B(const uint8_t* bytes, size_t length) {
  // An empty input reads nothing and yields the complemented initial value.
  uint16_t crc = 0xffff;
  for (size_t i = 0; i < length; ++i) {
    uint8_t b = static_cast<uint8_t>(bytes[i] ^ (crc & 0xff));
    b = static_cast<uint8_t>(b ^ (b << 4));
    crc = static_cast<uint16_t>((crc >> 8) ^ (b << 8) ^ (b << 3) ^ (b >> 4));
  }
  return static_cast<uint16_t>(~crc);
}

}  // namespace quill
