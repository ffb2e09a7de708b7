// Registry string data as bytes: UTF-16LE, read up to the first zero
// character or the end of the data (never further: a value stored without
// its terminator, or one that fills the whole offer, is still read safely),
// and written without a terminator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quill {

std::u16string RegistryBytesToText(const std::vector<uint8_t>& data);
std::vector<uint8_t> TextToRegistryBytes(const std::u16string& text);
std::vector<uint8_t> DwordToRegistryBytes(uint32_t value);

}  // namespace quill
