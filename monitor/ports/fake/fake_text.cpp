#include "fake_text.h"

namespace quill::fake {

namespace {

constexpr char16_t kSymbolsFirst = 0x3000;
constexpr char16_t kSymbolsLast = 0x303F;
constexpr char16_t kIdeographsFirst = 0x4E00;
constexpr char16_t kIdeographsLast = 0x9FFF;
constexpr unsigned kSymbolCount = kSymbolsLast - kSymbolsFirst + 1;
constexpr unsigned kTrailCount = 190;
constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kIndexCount = kSymbolCount + (kIdeographsLast - kIdeographsFirst + 1);

// The pair index of a representable double-byte character, or -1.
int ChineseIndex(char16_t c) {
  if (c >= kSymbolsFirst && c <= kSymbolsLast) return c - kSymbolsFirst;
  if (c >= kIdeographsFirst && c <= kIdeographsLast) {
    return static_cast<int>(kSymbolCount) + (c - kIdeographsFirst);
  }
  return -1;
}

char16_t ChineseCharacter(unsigned index) {
  if (index < kSymbolCount) return static_cast<char16_t>(kSymbolsFirst + index);
  return static_cast<char16_t>(kIdeographsFirst + (index - kSymbolCount));
}

}  // namespace

std::string FakeText::EncodeLatin1(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return out;
}

std::u16string FakeText::DecodeLatin1(const std::string& text) {
  std::u16string out;
  for (char c : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return out;
}

std::string FakeText::EncodeChinese(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const int index = ChineseIndex(c);
    if (index < 0) {
      out.push_back('?');
      continue;
    }
    out.push_back(static_cast<char>(kLeadFirst + index / kTrailCount));
    out.push_back(static_cast<char>(kTrailFirst + index % kTrailCount));
  }
  return out;
}

std::u16string FakeText::DecodeChinese(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char16_t>(lead));
      continue;
    }
    if (lead >= kLeadFirst && i + 1 < text.size()) {
      const unsigned trail = static_cast<unsigned char>(text[i + 1]);
      if (trail >= kTrailFirst && trail < kTrailFirst + kTrailCount) {
        const unsigned index = (lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst);
        if (index < kIndexCount) {
          out.push_back(ChineseCharacter(index));
          ++i;
          continue;
        }
      }
    }
    out.push_back(u'?');
  }
  return out;
}

FakeText::Model FakeText::ModelOf(CodePage codePage) const {
  switch (codePage) {
    case CodePage::kAnsi:
      return ansi;
    case CodePage::kThreadAnsi:
      return threadAnsi;
    case CodePage::kChinese936:
      break;
  }
  return Model::kChinese;
}

std::string FakeText::ToNarrow(CodePage codePage, const std::u16string& text) {
  conversions.push_back({codePage, true});
  return ModelOf(codePage) == Model::kChinese ? EncodeChinese(text) : EncodeLatin1(text);
}

std::u16string FakeText::ToWide(CodePage codePage, const std::string& text) {
  conversions.push_back({codePage, false});
  return ModelOf(codePage) == Model::kChinese ? DecodeChinese(text) : DecodeLatin1(text);
}

}  // namespace quill::fake
