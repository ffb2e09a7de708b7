#include "message_box_info.h"

#include "monitor_constants.h"

namespace quill {

DialogEnd CMessageBoxInfo::OnOk() {
  okPressed_ = 1;
  return DialogEnd{true, 0};
}

DialogEnd CMessageBoxInfo::OnCancel() {
  cancelPressed_ = 1;
  return DialogEnd{true, 0};
}

DialogEnd CMessageBoxInfo::OnSysCommand(uint32_t command) {
  if ((command & kSystemCommandMask) == kScClose) return DialogEnd{true, 0};
  return DialogEnd{};
}

LockAnswer CMessageBoxInfo::Answer() const {
  if (okPressed_ != 0) return LockAnswer::kOk;
  if (cancelPressed_ != 0) return LockAnswer::kCancel;
  return LockAnswer::kClosed;
}

}  // namespace quill
