// Run-time binding of the platform's HID and device-setup services.
#pragma once

namespace quill {

// 0 when bound (already bound counts); 1..4 with codes 16..19 when a library
// or function is missing; 5 without a code when the system folder is unknown.
int BindPlatform();
void UnbindPlatform();

}  // namespace quill
