#include "serve.h"

#include "request.h"

namespace quill::host {

int ServeRequests(ByteSource& unbuffered, ByteSink& output, PolicySource& policy,
                  std::string* diagnostic) {
  diagnostic->clear();
  RequestHandler requests(policy);
  BufferedSource input(unbuffered);
  std::string payload;
  for (;;) {
    uint32_t size = 0;
    switch (ReadFrame(input, &payload, &size)) {
      case FrameStatus::kEnd:
        return kExitDone;
      case FrameStatus::kTooLong:
        *diagnostic = "quill-host: a request of " + std::to_string(size) +
                      " bytes exceeds the limit of " + std::to_string(kMaxRequestSize) + " bytes";
        return kExitBadFrame;
      case FrameStatus::kCut:
        *diagnostic = size == 0 ? "quill-host: the input ended inside a length prefix"
                                : "quill-host: the input ended inside a request of " +
                                      std::to_string(size) + " bytes";
        return kExitBadFrame;
      case FrameStatus::kFrame:
        break;
    }
    if (!WriteFrame(output, requests.Answer(payload))) {
      *diagnostic = "quill-host: a reply could not be written";
      return kExitWriteFailed;
    }
  }
}

}  // namespace quill::host
