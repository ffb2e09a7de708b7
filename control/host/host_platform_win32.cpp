#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "host_platform.h"

namespace quill::host {
namespace {

constexpr unsigned kChunk = 1u << 20;

class DescriptorSource : public ByteSource {
 public:
  explicit DescriptorSource(int fd) : fd_(fd) {}
  size_t Read(uint8_t* data, size_t size) override {
    const int got = _read(fd_, data, static_cast<unsigned>(std::min<size_t>(size, kChunk)));
    return got > 0 ? static_cast<size_t>(got) : 0;
  }

 private:
  int fd_;
};

class DescriptorSink : public ByteSink {
 public:
  explicit DescriptorSink(int fd) : fd_(fd) {}
  ~DescriptorSink() override { _close(fd_); }
  bool Write(const uint8_t* data, size_t size) override {
    while (size > 0) {
      const int written = _write(fd_, data, static_cast<unsigned>(std::min<size_t>(size, kChunk)));
      if (written <= 0) return false;
      data += written;
      size -= static_cast<size_t>(written);
    }
    return true;
  }

 private:
  int fd_;
};

}  // namespace

bool OpenHostStdio(HostStdio* stdio, std::string* error) {
  // The framing is binary: no translation of line ends either way.
  _setmode(_fileno(stdin), _O_BINARY);
  const int replies = _dup(_fileno(stdout));
  if (replies < 0) {
    *error = "standard output is not usable";
    return false;
  }
  _setmode(replies, _O_BINARY);
  // The copy must not reach child processes through handle inheritance.
  SetHandleInformation(reinterpret_cast<HANDLE>(_get_osfhandle(replies)), HANDLE_FLAG_INHERIT, 0);
  _dup2(_fileno(stderr), _fileno(stdout));
  stdio->requests = std::make_unique<DescriptorSource>(_fileno(stdin));
  stdio->replies = std::make_unique<DescriptorSink>(replies);
  return true;
}

UiLanguage HostUiLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? UiLanguage::kChinese
                                                                   : UiLanguage::kEnglish;
}

std::string HostExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), &utf8[0], size,
                        nullptr, nullptr);
  }
  return utf8;
}

}  // namespace quill::host
