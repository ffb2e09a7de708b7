#include "endpoint_list.h"

namespace quill {

std::vector<LoopbackEndpoint> ParseEndpointList(const std::string& list,
                                                std::vector<std::string>* rejected) {
  std::vector<LoopbackEndpoint> endpoints;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    if (!entry.empty()) {
      LoopbackEndpoint endpoint;
      if (ParseLoopbackEndpoint(entry, &endpoint)) {
        endpoints.push_back(endpoint);
      } else if (rejected != nullptr) {
        rejected->push_back(entry);
      }
    }
    start = end + 1;
  }
  return endpoints;
}

std::string EndpointText(const LoopbackEndpoint& endpoint) {
  const std::string host = endpoint.host == "::1" ? "[::1]" : endpoint.host;
  return host + ":" + std::to_string(endpoint.port);
}

}  // namespace quill
