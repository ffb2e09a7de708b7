#include "library_state.h"

#include "library_lock.h"

namespace quill {
namespace {

LibraryState*& CurrentState() {
  static LibraryState* state = nullptr;
  return state;
}

}  // namespace

LibraryState& Library() {
  LibraryState*& state = CurrentState();
  if (state == nullptr) {
    state = new LibraryState();
    state->platform = &NativePlatform();
    state->config = &ProcessTokenConfig();
  }
  return *state;
}

void ResetLibrary(Platform* platform, const TokenConfig* config) {
  const LibraryLock lock;
  LibraryState*& state = CurrentState();
  delete state;
  state = nullptr;
  if (platform == nullptr) return;  // the next use starts over on the native platform
  state = new LibraryState();
  state->platform = platform;
  state->config = config;
}

}  // namespace quill
