#include "fake_strings.h"

namespace quill::fake {

std::u16string FakeStrings::Load(int id) {
  loaded.push_back(id);
  auto found = texts.find(id);
  if (found != texts.end()) return found->second;
  return Placeholder(id);
}

std::u16string FakeStrings::Placeholder(int id) {
  std::u16string text = u"s";
  for (char c : std::to_string(id)) text.push_back(static_cast<char16_t>(c));
  return text;
}

void FakeStrings::UseDeviceTexts() {
  texts[117] = u"6AAEEBD3-838D-4A35-9571-26EFC79882ED";
  texts[122] = u"B328";
  texts[123] = u"04B4";
  texts[124] = u"lumoMonitor.exe";
  texts[125] = u"lumoMonitor";
  texts[127] = u"lumoPlugin.xpi";
  texts[128] = u"lumoPlugin.crx";
  texts[139] = u"lumoActiveX.x64.ocx";
  texts[140] = u"lumoActiveX.win32.ocx";
  texts[147] = u"B708";
  texts[149] = u"B812";
  texts[150] = u"B826";
  texts[151] = u"LastLoggedOnProvider";
}

}  // namespace quill::fake
