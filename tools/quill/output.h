// Where results go: human-readable text, or with --json one JSON object a
// run on standard output ({"ok":true,...} or {"ok":false,"error":{...}}).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "json_writer.h"

namespace quill {

class Output {
 public:
  explicit Output(bool json) : json_(json) {}
  bool json() const { return json_; }

  // A successful result. JSON: {"ok":true} followed by the members of
  // fields; text: the given text as it is.
  void Success(const JsonValue& fields, const std::string& text) const;
  // JSON only: {"ok":false,"error":error}. Text failures go to standard
  // error (see failure.h), so this prints nothing in text mode.
  void Failure(const JsonValue& error) const;

 private:
  bool json_;
};

// Ends the run: flushes and closes standard output, and turns a failed write
// to it (at any time during the run) or a failed close into exit status 1,
// with one line on standard error. Returns the exit status to end with.
int FinishStandardOutput(int status);

// Writes bytes to standard output unchanged; false when that failed.
bool WriteRawToStdout(const std::vector<uint8_t>& data);
bool StdoutIsTerminal();

}  // namespace quill
