#include "data_files.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "hex_text.h"

namespace quill {

bool ReadInputData(const ParsedArgs& args, size_t maxBytes, std::vector<uint8_t>* data,
                   std::string* error) {
  const int given = args.Has("--text") + args.Has("--hex") + args.Has("--in");
  if (given != 1) {
    *error = "give the data with exactly one of --text, --hex or --in";
    return false;
  }
  if (args.Has("--text")) {
    const std::string text = args.Value("--text");
    if (text.size() > maxBytes) {
      *error = "--text is longer than " + std::to_string(maxBytes) + " bytes";
      return false;
    }
    data->assign(text.begin(), text.end());
    return true;
  }
  if (args.Has("--hex")) {
    std::string why;
    if (!ParseHex(args.Value("--hex"), maxBytes, data, &why)) {
      *error = "--hex: " + why;
      return false;
    }
    return true;
  }
  return ReadFileLimited(args.Value("--in"), maxBytes, data, error);
}

bool ReadFileLimited(const std::string& path, size_t maxBytes, std::vector<uint8_t>* data,
                     std::string* error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  data->assign(maxBytes + 1, 0);
  size_t filled = 0;
  bool failed = false;
  while (filled < data->size()) {
    const ssize_t n = read(fd, data->data() + filled, data->size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    filled += static_cast<size_t>(n);
  }
  const int readError = errno;
  close(fd);
  if (failed) {
    *error = "cannot read " + path + ": " + std::strerror(readError);
    return false;
  }
  if (filled > maxBytes) {
    *error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  data->resize(filled);
  return true;
}

bool WriteDataFile(const std::string& path, const std::vector<uint8_t>& data, std::string* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool written = fd >= 0;
  size_t done = 0;
  while (written && done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) written = false;
    if (n > 0) done += static_cast<size_t>(n);
  }
  const int writeError = errno;
  if (fd >= 0 && close(fd) != 0 && written) written = false;
  if (!written) *error = "cannot write " + path + ": " + std::strerror(writeError);
  return written;
}

}  // namespace quill
