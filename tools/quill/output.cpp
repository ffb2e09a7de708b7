#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "failure.h"

namespace quill {

void Output::Success(const JsonValue& fields, const std::string& text) const {
  if (!json_) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    return;
  }
  JsonValue result = JsonValue::Object().Set("ok", JsonValue::Bool(true));
  for (const auto& member : fields.members()) result.Set(member.first, member.second);
  std::printf("%s\n", WriteJson(result).c_str());
  std::fflush(stdout);
}

void Output::Failure(const JsonValue& error) const {
  if (!json_) return;
  const JsonValue result =
      JsonValue::Object().Set("ok", JsonValue::Bool(false)).Set("error", error);
  std::printf("%s\n", WriteJson(result).c_str());
  std::fflush(stdout);
}

bool WriteRawToStdout(const std::vector<uint8_t>& data) {
  const bool written = std::fwrite(data.data(), 1, data.size(), stdout) == data.size();
  return std::fflush(stdout) == 0 && written;
}

int FinishStandardOutput(int status) {
  // The error flag stays set from any earlier write that failed; fclose
  // flushes what is still buffered and reports that too.
  const bool failedBefore = std::ferror(stdout) != 0;
  errno = 0;
  const bool closed = std::fclose(stdout) == 0;
  if (closed && !failedBefore) return status;
  const int reason = errno;
  std::fprintf(stderr, "quill: cannot write to standard output%s%s\n", reason != 0 ? ": " : "",
               reason != 0 ? std::strerror(reason) : "");
  return status == kExitSuccess ? kExitFailed : status;
}

bool StdoutIsTerminal() {
  return isatty(STDOUT_FILENO) == 1;
}

}  // namespace quill
