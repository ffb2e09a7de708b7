// Whether a dialog's handler ends the dialog, and with which result.
#pragma once

namespace quill {

struct DialogEnd {
  bool ended = false;  // false: the dialog stays open (or default processing)
  int result = 0;      // EndDialog's result when ended
};

}  // namespace quill
