// Reading the device tree under sysfs, and a fixed list of interface paths.
#pragma once

#include <string>
#include <vector>

#include "platform.h"

namespace quill {

// The numbers N of the entries named <prefix>N (N decimal) in directory dir,
// ascending (hidraw2 before hidraw10). An absent directory is an empty list;
// false (with errno left set) when dir exists but cannot be read.
bool ListNumberedEntries(const std::string& dir, const std::string& prefix,
                         std::vector<unsigned>* numbers);

// N when name is <prefix>N with N decimal; false otherwise.
bool ParseNumberedName(const std::string& name, const std::string& prefix, unsigned* number);

// The content of a small attribute file without trailing white space; false
// (with errno set) when it cannot be read.
bool ReadAttribute(const std::string& path, std::string* text);

// A hexadecimal number that fits 16 bits, at most 8 digits ("04b4", "000004B4",
// "0x04B4"); false otherwise.
bool ParseHex16(const std::string& text, uint16_t* value);

// A hexadecimal attribute that fits 16 bits ("04b4", "0x04B4"); false otherwise.
bool ReadHex16Attribute(const std::string& path, uint16_t* value);

bool FileExists(const std::string& path);

// Interface paths captured when the list was taken, walked by member index.
class FixedInterfaceList : public InterfaceListPort {
 public:
  FixedInterfaceList(std::vector<std::string> paths, OsErrorPort& osError);
  bool Enumerate(uint32_t index) override;
  bool Detail(uint32_t index, std::string* path) override;

 private:
  std::vector<std::string> paths_;
  OsErrorPort& osError_;
};

}  // namespace quill
