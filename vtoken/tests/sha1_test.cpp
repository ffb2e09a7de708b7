// SHA-1 against the standard test vectors.
#include "sha1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace quill {
namespace {

std::string HexDigest(const uint8_t digest[kSha1DigestSize]) {
  std::string text;
  char pair[3];
  for (size_t i = 0; i < kSha1DigestSize; ++i) {
    std::snprintf(pair, sizeof(pair), "%02x", digest[i]);
    text += pair;
  }
  return text;
}

std::string Sha1Hex(const std::string& message) {
  uint8_t digest[kSha1DigestSize];
  Sha1Digest(reinterpret_cast<const uint8_t*>(message.data()), message.size(), digest);
  return HexDigest(digest);
}

TEST(Sha1Test, StandardVectors) {
  EXPECT_EQ(Sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(Sha1Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                    "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
            "a49b2446a02c645bf419f995b67091253a04a259");
  EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1Test, PiecewiseUpdatesGiveTheSameDigest) {
  // Lengths around the 55/56/64-byte padding edges.
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 200u}) {
    std::string message(length, '\0');
    for (size_t i = 0; i < length; ++i) message[i] = static_cast<char>(i * 37 + 5);
    Sha1 pieces;
    for (size_t at = 0; at < length; at += 7) {
      const size_t take = length - at < 7 ? length - at : 7;
      pieces.Update(reinterpret_cast<const uint8_t*>(message.data()) + at, take);
    }
    uint8_t digest[kSha1DigestSize];
    pieces.Final(digest);
    EXPECT_EQ(HexDigest(digest), Sha1Hex(message)) << length;
  }
}

}  // namespace
}  // namespace quill
