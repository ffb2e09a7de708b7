#include "durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace quill {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Reason(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

bool WriteAllBytes(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool ReplaceFileDurably(const std::string& path, const std::string& text, std::string* error) {
  std::string pattern = path + ".tmp.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    *error = Reason("cannot create a temporary file next to " + path);
    return false;
  }
  const std::string temporary(name.data());
  bool written = WriteAllBytes(fd, text);
  if (!written) *error = Reason("cannot write " + temporary);
  if (written && fsync(fd) != 0) {
    *error = Reason("cannot flush " + temporary);
    written = false;
  }
  if (close(fd) != 0 && written) {
    *error = Reason("cannot close " + temporary);
    written = false;
  }
  if (!written) {
    unlink(temporary.c_str());
    return false;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    *error = Reason("cannot rename " + temporary + " to " + path);
    unlink(temporary.c_str());
    return false;
  }
  // The rename reaches the disk with the folder. The new contents are in
  // place by now, so a folder that cannot be flushed (some file systems do
  // not allow it) does not undo the save.
  const int folderFd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (folderFd >= 0) {
    fsync(folderFd);
    close(folderFd);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* text, bool* missing, std::string* error) {
  *missing = false;
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    if (errno == ENOENT) {
      *missing = true;
    } else {
      *error = Reason("cannot open " + path);
    }
    return false;
  }
  text->clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = Reason("cannot read " + path);
      close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

}  // namespace quill
