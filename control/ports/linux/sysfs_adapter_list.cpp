#include "ports/linux/sysfs_adapter_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace quill {
namespace {

constexpr uint32_t kEthernetType = 6;   // what Windows reports for Ethernet
constexpr uint32_t kWirelessType = 71;  // and for IEEE 802.11
constexpr const char* kArphrdEther = "1";
constexpr size_t kMaxAttributeBytes = 256;
constexpr size_t kMaxAddressBytes = 32;  // sysfs prints at most MAX_ADDR_LEN bytes

// The first line of a small sysfs attribute, without its line break.
bool ReadAttribute(const std::string& path, std::string* value) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  char buffer[kMaxAttributeBytes] = {};
  file.read(buffer, sizeof(buffer) - 1);
  std::string text(buffer, static_cast<size_t>(file.gcount()));
  const size_t end = text.find('\n');
  if (end != std::string::npos) text.resize(end);
  *value = text;
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool ParseIndex(const std::string& text, long* index) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < 0) return false;
  *index = value;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct IndexedAdapter {
  long index;
  std::string name;
  NetworkAdapter adapter;
};

}  // namespace

bool ParseHardwareAddress(const std::string& text, std::vector<uint8_t>* address) {
  std::vector<uint8_t> bytes;
  size_t position = 0;
  while (true) {
    int value = 0;
    size_t digits = 0;
    while (position < text.size() && text[position] != ':') {
      const int digit = HexDigit(text[position]);
      if (digit < 0 || ++digits > 2) return false;
      value = value * 16 + digit;
      ++position;
    }
    if (digits == 0 || bytes.size() == kMaxAddressBytes) return false;
    bytes.push_back(static_cast<uint8_t>(value));
    if (position == text.size()) break;
    ++position;  // the ':'
  }
  *address = std::move(bytes);
  return true;
}

SysfsAdapterList::SysfsAdapterList(std::string netRoot) : netRoot_(std::move(netRoot)) {}

bool SysfsAdapterList::ListAdapters(std::vector<NetworkAdapter>* adapters) {
  adapters->clear();
  DIR* directory = opendir(netRoot_.c_str());
  if (directory == nullptr) return false;
  std::vector<IndexedAdapter> found;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || name == "lo") continue;
    const std::string base = netRoot_ + "/" + name + "/";
    std::string type;
    std::string indexText;
    std::string addressText;
    IndexedAdapter item{0, name, {}};
    if (!ReadAttribute(base + "type", &type) || type != kArphrdEther) continue;
    if (!ReadAttribute(base + "ifindex", &indexText) || !ParseIndex(indexText, &item.index)) {
      continue;
    }
    if (!ReadAttribute(base + "address", &addressText) ||
        !ParseHardwareAddress(addressText, &item.adapter.address)) {
      continue;
    }
    const bool wireless = Exists(base + "wireless") || Exists(base + "phy80211");
    item.adapter.type = wireless ? kWirelessType : kEthernetType;
    found.push_back(std::move(item));
  }
  closedir(directory);
  std::sort(found.begin(), found.end(), [](const IndexedAdapter& a, const IndexedAdapter& b) {
    return a.index != b.index ? a.index < b.index : a.name < b.name;
  });
  for (IndexedAdapter& item : found) adapters->push_back(std::move(item.adapter));
  return true;
}

}  // namespace quill
