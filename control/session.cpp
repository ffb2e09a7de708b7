#include "session.h"

namespace quill {
namespace {

struct ControlState {
  QuillSession session;
  ControlPlatform platform;
  bool platformChosen = false;
};

ControlState& State() {
  static ControlState state;
  return state;
}

}  // namespace

QuillSession& Session() {
  return State().session;
}

ControlPlatform& ControlPorts() {
  ControlState& state = State();
  if (!state.platformChosen) {
    state.platform = NativeControlPlatform();
    state.platformChosen = true;
  }
  return state.platform;
}

void ResetControl(const ControlPlatform& platform) {
  ControlState& state = State();
  state.session = QuillSession();
  state.platform = platform;
  state.platformChosen = true;
}

}  // namespace quill
