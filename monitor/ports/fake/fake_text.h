// Code pages for tests, two simple reversible models:
//
// - Latin-1 ("western"): U+0000..U+00FF are one byte each, the byte being the
//   character's value; every other character becomes '?'. Each byte reads
//   back as the character of the same value.
// - Chinese (code page 936 of this fake): ASCII U+0000..U+007F is one byte;
//   the CJK symbols U+3000..U+303F and the unified ideographs U+4E00..U+9FFF
//   are two bytes, numbered in that order (index 0..63 for the symbols, then
//   64.. for the ideographs): lead byte 0x81 + index / 190, trail byte
//   0x40 + index % 190. Every other character becomes '?'. Bytes that do
//   not form such a pair read back as '?'. Two bytes per ideograph, as in
//   the real code page, so byte counts behave alike.
//
// CodePage::kChinese936 always uses the Chinese model; CP_ACP and
// CP_THREAD_ACP use the model set for them (Latin-1 unless changed), so a
// test can play a Chinese user on a western system. Conversions are recorded.
#pragma once

#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeText : public TextPort {
 public:
  enum class Model { kLatin1, kChinese };
  struct Conversion {
    CodePage codePage;
    bool toNarrow;
  };

  std::string ToNarrow(CodePage codePage, const std::u16string& text) override;
  std::u16string ToWide(CodePage codePage, const std::string& text) override;

  static std::string EncodeLatin1(const std::u16string& text);
  static std::u16string DecodeLatin1(const std::string& text);
  static std::string EncodeChinese(const std::u16string& text);
  static std::u16string DecodeChinese(const std::string& text);

  Model ansi = Model::kLatin1;        // CP_ACP
  Model threadAnsi = Model::kLatin1;  // CP_THREAD_ACP
  std::vector<Conversion> conversions;

 private:
  Model ModelOf(CodePage codePage) const;
};

}  // namespace quill::fake
