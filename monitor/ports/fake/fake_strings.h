// A string table for tests: each identifier loads a recognisable text ("s104"
// for 104) unless a text was set for it. UseDeviceTexts sets the texts the
// monitor searches for or compares with (device identifiers, registry value
// names and the like) to what the real table holds.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeStrings : public StringsPort {
 public:
  FakeStrings() { UseDeviceTexts(); }

  std::u16string Load(int id) override;

  // The placeholder text of an identifier that has no text set: u"s<id>".
  static std::u16string Placeholder(int id);
  // 122, 123, 147, 149, 150 (device identifiers), 151 (the LogonUI value
  // name) and 124, 125, 127, 128, 139, 140, 117 as the real table has them.
  void UseDeviceTexts();

  std::map<int, std::u16string> texts;
  std::vector<int> loaded;  // every identifier asked for, in order
};

}  // namespace quill::fake
