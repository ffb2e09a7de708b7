// The virtual token endpoints named by QUILL_VIRTUAL_TOKENS.
#pragma once

#include <string>
#include <vector>

#include "config.h"

namespace quill {

// Splits the comma-separated list and keeps the well-formed loopback
// endpoints in order; every entry that does not parse is named in *rejected.
std::vector<LoopbackEndpoint> ParseEndpointList(const std::string& list,
                                                std::vector<std::string>* rejected);

// "host:port" again ("[::1]:port" for the IPv6 loopback).
std::string EndpointText(const LoopbackEndpoint& endpoint);

}  // namespace quill
