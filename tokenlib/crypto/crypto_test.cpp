// Known-answer and buffer-boundary tests for the checksum, ciphers and digest.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "crypto/crc16b.h"
#include "crypto/des.h"
#include "crypto/md5.h"

namespace quill {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

Bytes FromText(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Pattern(size_t length) {
  Bytes bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

// --- CRC_B -------------------------------------------------------------------

TEST(Crc16BTest, MatchesCheckValues) {
  EXPECT_EQ(Crc16B(FromText("123456789").data(), 9), 0x906E);
  EXPECT_EQ(Crc16B(FromText("abc").data(), 3), 0x9E25);
}

TEST(Crc16BTest, EmptyInputReadsNothing) {
  EXPECT_EQ(Crc16B(nullptr, 0), 0x0000);
}

TEST(Crc16BTest, FrameWithChecksumLowByteFirstLeavesFixedResidue) {
  Bytes frame = Pattern(248);
  const uint16_t crc = Crc16B(frame.data(), 246);
  frame[246] = static_cast<uint8_t>(crc);
  frame[247] = static_cast<uint8_t>(crc >> 8);
  EXPECT_EQ(Crc16B(frame.data(), 248), 0x0F47);
  frame[100] ^= 0x01;
  EXPECT_NE(Crc16B(frame.data(), 248), 0x0F47);
}

// --- DES ---------------------------------------------------------------------

const Bytes kFips81Key = FromHex("0123456789ABCDEF");
const Bytes kFips81Iv = FromHex("1234567890ABCDEF");
const Bytes kFips81Plain = FromText("Now is the time for all ");
const Bytes kFips81Cipher = FromHex("E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6");

TEST(DesTest, BlockKnownAnswers) {
  struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
  };
  const Vector vectors[] = {
      {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
      {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},  // variable plaintext
      {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},  // variable key
      {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},  // substitution table
      {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},  // FIPS 81 ECB
  };
  for (const Vector& vector : vectors) {
    SCOPED_TRACE(vector.key);
    const DesKey key(FromHex(vector.key).data());
    Bytes block = FromHex(vector.plain);
    key.EncryptBlock(block.data());
    EXPECT_EQ(block, FromHex(vector.cipher));
    key.DecryptBlock(block.data());
    EXPECT_EQ(block, FromHex(vector.plain));
  }
}

TEST(DesTest, CbcMatchesFips81Example) {
  Bytes buffer = kFips81Plain;
  DesCbcEncrypt(kFips81Key.data(), kFips81Iv.data(), buffer.data(), buffer.size());
  EXPECT_EQ(buffer, kFips81Cipher);
  DesCbcDecrypt(DesKey(kFips81Key.data()), kFips81Iv.data(), buffer.data(), buffer.size());
  EXPECT_EQ(buffer, kFips81Plain);
}

TEST(DesTest, ParityBitsAreIgnored) {
  // The reference key has every low (parity) bit set; clear all of them, then some.
  for (const char* variant : {"0022446688AACCEE", "0023446789AACDEE"}) {
    const Bytes key = FromHex(variant);
    Bytes buffer = kFips81Plain;
    DesCbcEncrypt(key.data(), kFips81Iv.data(), buffer.data(), buffer.size());
    EXPECT_EQ(buffer, kFips81Cipher) << variant;
  }
}

using CbcFunction = std::function<void(const uint8_t* iv, uint8_t* buffer, size_t length)>;

// A final partial block behaves as the zero-completed block truncated to the
// buffer: whole blocks round-trip, and nothing beyond the buffer is written.
void CheckPartialFinalBlock(const CbcFunction& encrypt, const CbcFunction& decrypt, size_t length) {
  SCOPED_TRACE(length);
  constexpr size_t kGuard = 8;
  constexpr uint8_t kGuardByte = 0xA5;
  const Bytes iv = FromHex("FEDCBA9876543210");
  const Bytes plain = Pattern(length);
  const size_t padded = (length + 7) / 8 * 8;

  Bytes reference = plain;
  reference.resize(padded, 0);
  encrypt(iv.data(), reference.data(), padded);

  Bytes guarded(kGuard + length + kGuard, kGuardByte);
  std::copy(plain.begin(), plain.end(), guarded.begin() + kGuard);
  encrypt(iv.data(), guarded.data() + kGuard, length);
  EXPECT_TRUE(std::equal(reference.begin(), reference.begin() + length, guarded.begin() + kGuard));

  Bytes truncatedCipher(guarded.begin() + kGuard, guarded.end() - kGuard);
  truncatedCipher.resize(padded, 0);
  decrypt(iv.data(), truncatedCipher.data(), padded);
  decrypt(iv.data(), guarded.data() + kGuard, length);
  EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + length / 8 * 8, guarded.begin() + kGuard));
  EXPECT_TRUE(std::equal(truncatedCipher.begin(), truncatedCipher.begin() + length,
                         guarded.begin() + kGuard));

  for (size_t i = 0; i < kGuard; ++i) {
    EXPECT_EQ(guarded[i], kGuardByte);
    EXPECT_EQ(guarded[kGuard + length + i], kGuardByte);
  }
}

TEST(DesTest, PartialFinalBlockStaysInsideBuffer) {
  const DesKey key(kFips81Key.data());
  auto encrypt = [&key](const uint8_t* iv, uint8_t* buffer, size_t length) {
    DesCbcEncrypt(key, iv, buffer, length);
  };
  auto decrypt = [&key](const uint8_t* iv, uint8_t* buffer, size_t length) {
    DesCbcDecrypt(key, iv, buffer, length);
  };
  for (size_t length : {0, 3, 8, 29, 248}) CheckPartialFinalBlock(encrypt, decrypt, length);
}

// --- Triple DES ----------------------------------------------------------------

// Three-key example of NIST SP 800-67 (as published, one block at a time).
const Bytes kTripleKey = FromHex(
    "0123456789ABCDEF"
    "23456789ABCDEF01"
    "456789ABCDEF0123");
const Bytes kTriplePlain = FromText("The qufck brown fox jump");
const Bytes kTripleCipher = FromHex("A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B900");

TEST(TripleDesTest, CbcChainsThroughPreviousCiphertext) {
  // Plaintext chosen so that each chained cipher input is one block of the known answer.
  const Bytes iv = FromHex("1234567890ABCDEF");
  Bytes buffer = kTriplePlain;
  for (size_t i = 0; i < 8; ++i) buffer[i] ^= iv[i];
  for (size_t i = 8; i < buffer.size(); ++i) buffer[i] ^= kTripleCipher[i - 8];
  const Bytes plain = buffer;
  TripleDesCbcEncrypt(kTripleKey.data(), iv.data(), buffer.data(), buffer.size());
  EXPECT_EQ(buffer, kTripleCipher);
  TripleDesCbcDecrypt(kTripleKey.data(), iv.data(), buffer.data(), buffer.size());
  EXPECT_EQ(buffer, plain);
}

TEST(TripleDesTest, PartialFinalBlockStaysInsideBuffer) {
  auto encrypt = [](const uint8_t* iv, uint8_t* buffer, size_t length) {
    TripleDesCbcEncrypt(kTripleKey.data(), iv, buffer, length);
  };
  auto decrypt = [](const uint8_t* iv, uint8_t* buffer, size_t length) {
    TripleDesCbcDecrypt(kTripleKey.data(), iv, buffer, length);
  };
  for (size_t length : {5, 120, 442}) CheckPartialFinalBlock(encrypt, decrypt, length);
}

// --- MD5 -----------------------------------------------------------------------

std::string Md5Hex(const Bytes& message) {
  uint8_t digest[kMd5DigestSize];
  Md5Digest(message.data(), message.size(), digest);
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : digest) hex += {kDigits[byte >> 4], kDigits[byte & 15]};
  return hex;
}

TEST(Md5Test, Rfc1321TestSuite) {
  const std::pair<std::string, std::string> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [message, digest] : suite) EXPECT_EQ(Md5Hex(FromText(message)), digest);
}

TEST(Md5Test, PaddingBoundaries) {
  EXPECT_EQ(Md5Hex(Bytes(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
  EXPECT_EQ(Md5Hex(Bytes(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
  EXPECT_EQ(Md5Hex(Bytes(64, 'a')), "014842d480b571495a4a0363793f7367");
}

TEST(Md5Test, IncrementalUpdatesMatchOneShot) {
  const Bytes million(1000000, 'a');
  Md5 md5;
  for (size_t offset = 0, piece = 1; offset < million.size();
       offset += piece, piece = piece % 97 + 1) {
    md5.Update(million.data() + offset, std::min(piece, million.size() - offset));
  }
  uint8_t digest[kMd5DigestSize];
  md5.Final(digest);
  EXPECT_EQ(Bytes(digest, digest + kMd5DigestSize), FromHex("7707d6ae4e027c70eea2a935c2296f21"));

  const Bytes message = Pattern(130);
  uint8_t expected[kMd5DigestSize];
  Md5Digest(message.data(), message.size(), expected);
  for (size_t split = 0; split <= message.size(); ++split) {
    Md5 parts;
    parts.Update(message.data(), split);
    parts.Update(message.data() + split, message.size() - split);
    parts.Final(digest);
    EXPECT_EQ(Bytes(digest, digest + kMd5DigestSize), Bytes(expected, expected + kMd5DigestSize))
        << split;
  }
}

}  // namespace
}  // namespace quill
