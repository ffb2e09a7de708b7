#include "device_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <utility>

namespace quill {
namespace {

constexpr size_t kMaxNumberDigits = 9;  // keeps N within unsigned
constexpr size_t kReadChunk = 4096;
constexpr size_t kMaxAttributeSize = 65536;  // sysfs attributes are one page

}  // namespace

bool ParseNumberedName(const std::string& name, const std::string& prefix, unsigned* number) {
  if (name.size() <= prefix.size() || name.size() - prefix.size() > kMaxNumberDigits) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  unsigned parsed = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    parsed = parsed * 10 + static_cast<unsigned>(name[i] - '0');
  }
  *number = parsed;
  return true;
}

bool ListNumberedEntries(const std::string& dir, const std::string& prefix,
                         std::vector<unsigned>* numbers) {
  numbers->clear();
  DIR* stream = opendir(dir.c_str());
  if (stream == nullptr) return errno == ENOENT;
  while (const dirent* entry = readdir(stream)) {
    unsigned number = 0;
    if (ParseNumberedName(entry->d_name, prefix, &number)) numbers->push_back(number);
  }
  closedir(stream);
  std::sort(numbers->begin(), numbers->end());
  return true;
}

bool ReadAttribute(const std::string& path, std::string* text) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string value;
  char chunk[kReadChunk];
  bool failed = false;
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof(chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    if (value.size() + static_cast<size_t>(n) > kMaxAttributeSize) {
      errno = EFBIG;
      failed = true;
      break;
    }
    value.append(chunk, static_cast<size_t>(n));
  }
  const int error = errno;
  close(fd);
  if (failed) {
    errno = error;
    return false;
  }
  while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
  *text = std::move(value);
  return true;
}

bool ParseHex16(const std::string& text, uint16_t* value) {
  size_t start = text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0 ? 2 : 0;
  if (start >= text.size() || text.size() - start > 8) return false;
  unsigned long parsed = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    parsed = parsed * 16 + digit;
  }
  if (parsed > 0xFFFF) return false;
  *value = static_cast<uint16_t>(parsed);
  return true;
}

bool ReadHex16Attribute(const std::string& path, uint16_t* value) {
  std::string text;
  return ReadAttribute(path, &text) && ParseHex16(text, value);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

FixedInterfaceList::FixedInterfaceList(std::vector<std::string> paths, OsErrorPort& osError)
    : paths_(std::move(paths)), osError_(osError) {}

bool FixedInterfaceList::Enumerate(uint32_t index) {
  if (index < paths_.size()) return true;
  osError_.Set(kOsErrorNoMoreItems);
  return false;
}

bool FixedInterfaceList::Detail(uint32_t index, std::string* path) {
  if (index >= paths_.size()) {
    osError_.Set(kOsErrorNoMoreItems);
    return false;
  }
  *path = paths_[index];
  return true;
}

}  // namespace quill
