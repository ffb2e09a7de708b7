// The values of the remote-desktop client's static channel API that the
// add-in core needs, kept here so that the core includes no platform header.
// They are the documented values of the client API (cchannel.h / pchannel.h);
// the platform shells check this with static_asserts.
#pragma once

#include <cstdint>

namespace quill {

// The channel the relay runs over (at most 7 characters).
constexpr char kRelayChannelName[] = "_QLCHN";

// Chunk flags of a received piece.
constexpr uint32_t kChannelFlagFirst = 0x01;
constexpr uint32_t kChannelFlagLast = 0x02;

// Channel call results.
constexpr uint32_t kChannelOk = 0;
constexpr uint32_t kChannelNotInitialized = 2;

}  // namespace quill
