#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "host_platform.h"

namespace quill::host {
namespace {

class DescriptorSource : public ByteSource {
 public:
  explicit DescriptorSource(int fd) : fd_(fd) {}
  size_t Read(uint8_t* data, size_t size) override {
    for (;;) {
      const ssize_t got = read(fd_, data, size);
      if (got >= 0) return static_cast<size_t>(got);
      if (errno != EINTR) return 0;
    }
  }

 private:
  int fd_;
};

class DescriptorSink : public ByteSink {
 public:
  explicit DescriptorSink(int fd) : fd_(fd) {}
  ~DescriptorSink() override { close(fd_); }
  bool Write(const uint8_t* data, size_t size) override {
    while (size > 0) {
      const ssize_t written = write(fd_, data, size);
      if (written < 0 && errno == EINTR) continue;
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
  // A reader that went away shows as a failed write, not as a signal.
  signal(SIGPIPE, SIG_IGN);
  const int replies = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (replies < 0) {
    *error = std::string("standard output is not usable: ") + std::strerror(errno);
    return false;
  }
  if (dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDOUT_FILENO);
      close(null);
    }
  }
  stdio->requests = std::make_unique<DescriptorSource>(STDIN_FILENO);
  stdio->replies = std::make_unique<DescriptorSink>(replies);
  return true;
}

UiLanguage HostUiLanguage() {
  // The first of these that is set decides, as for message catalogues.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      return std::strncmp(value, "zh", 2) == 0 ? UiLanguage::kChinese : UiLanguage::kEnglish;
    }
  }
  return UiLanguage::kEnglish;
}

std::string HostExecutablePath() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return std::string();
  return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace quill::host
