// The host's requests on any payload: parsed, checked against the origin
// policy and the member table and run (on a machine with no token,
// in-memory control ports), and the request loop on any framed input. Every
// request gets one reply, every reply is a JSON object, and a host bound to
// an origin is bound to one that was sent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frame_io.h"
#include "origin.h"
#include "policy_source.h"
#include "ports/fake/fake_control_ports.h"
#include "request.h"
#include "request_parse.h"
#include "script_json.h"
#include "serve.h"
#include "session.h"

namespace {

using quill::host::Json;

class InputSource : public quill::host::ByteSource {
 public:
  InputSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Read(uint8_t* out, size_t size) override {
    const size_t n = size < size_ - position_ ? size : size_ - position_;
    for (size_t i = 0; i < n; ++i) out[i] = data_[position_ + i];
    position_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

class StringSink : public quill::host::ByteSink {
 public:
  bool Write(const uint8_t* data, size_t size) override {
    written.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  std::string written;
};

// Forbids the subdomains of evil.example and allows good.example; every
// fourth reading finds the policy unusable.
class FixedPolicy : public quill::host::PolicySource {
 public:
  quill::host::PolicyReading Read() override {
    quill::host::PolicyReading reading;
    if (++reads_ % 4 == 0) {
      reading.usable = false;
      reading.problem = "the policy of the fuzz target is unusable this time";
      return reading;
    }
    quill::host::PolicyFromPatterns({"https://good.example"}, {"https://*.evil.example"},
                                    &reading.policy, &reading.problem);
    return reading;
  }

 private:
  int reads_ = 0;
};

void CheckReply(const std::string& reply) {
  const Json parsed = Json::parse(reply, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded() || !parsed.is_object()) std::abort();
}

void Answer(const std::string& payload) {
  quill::host::ParsedRequest request;
  quill::host::RequestError error;
  if (quill::host::ParseRequest(payload, &request, &error)) {
    for (const Json& argument : request.arguments) {
      for (quill::ScriptType type : {quill::ScriptType::kLong, quill::ScriptType::kText}) {
        quill::ScriptValue value;
        if (quill::host::ToScriptValue(argument, type, &value)) {
          quill::host::FromScriptValue(value).dump();
        }
      }
    }
  }
  FixedPolicy policy;
  quill::host::RequestHandler handler(policy);
  CheckReply(handler.Answer(payload));
  if (handler.boundOrigin()) {
    // Bound only by a valid origin, which prints as it was sent.
    if (!request.hasOrigin || !request.origin.is_string() ||
        request.origin.get<std::string>() != handler.boundOrigin()->ToString()) {
      std::abort();
    }
  }
}

void Serve(const uint8_t* data, size_t size) {
  InputSource input(data, size);
  StringSink output;
  std::string diagnostic;
  FixedPolicy policy;
  const int status = quill::host::ServeRequests(input, output, policy, &diagnostic);
  if (status != quill::host::kExitDone && diagnostic.empty()) std::abort();
  InputSource replies(reinterpret_cast<const uint8_t*>(output.written.data()),
                      output.written.size());
  std::string reply;
  while (quill::host::ReadFrame(replies, &reply) == quill::host::FrameStatus::kFrame) {
    CheckReply(reply);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static quill::fake::FakeControlPlatform ports;
  quill::ResetControl(ports.platform);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] == 'S') {
    Serve(data + 1, size - 1);
  } else {
    Answer(std::string(reinterpret_cast<const char*>(data), size));
  }
  return 0;
}
