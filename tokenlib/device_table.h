// The device table: handles of the tokens found by the latest discovery.
#pragma once

#include <cstdint>

#include "library_state.h"
#include "token.h"

namespace quill {

// Handle at a table position, or -1 when the position is not below the count;
// success empties the error store.
TokenHandle DeviceHandleAt(int position);
// The entry of a handle; nullptr when unknown (handle 0 is never found).
TokenDeviceEntry* FindDeviceEntry(TokenHandle handle);
// 0, or 1 with code 80 when the handle is unknown.
int SetDeviceState(TokenHandle handle, int state);
// 0 when the entry's state is at least minimum; 1 with code 80 when unknown;
// 2 with code 81 when below.
int RequireDeviceState(TokenHandle handle, int minimum);

// Sends one 248-byte request and receives one 248-byte answer over the
// entry's transport: 0; 1 (code 80); 2 (code 82); 3 (code 83).
int TransferFrame(TokenHandle handle, const uint8_t* request, uint8_t* response,
                  uint32_t timeoutMs);
int HidTransfer(int slot, const uint8_t* request, uint8_t* response, uint32_t timeoutMs);
int ScsiTransfer(int slot, const uint8_t* request, uint8_t* response, uint32_t timeoutMs);

}  // namespace quill
