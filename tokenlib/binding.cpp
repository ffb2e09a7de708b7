#include "binding.h"

#include "error_codes.h"
#include "error_store.h"
#include "library_state.h"

namespace quill {

int BindPlatform() {
  LibraryState& lib = Library();
  if (lib.bound) return 0;
  switch (lib.platform->hid->Bind()) {
    case BindStatus::kNoSystemDirectory:
      return 5;
    case BindStatus::kHidLibraryMissing:
      RecordError(kErrHidLibraryLoad);
      return 1;
    case BindStatus::kSetupLibraryMissing:
      RecordError(kErrSetupLibraryLoad);
      return 2;
    case BindStatus::kHidFunctionMissing:
      RecordError(kErrHidFunctionMissing);
      return 3;
    case BindStatus::kSetupFunctionMissing:
      RecordError(kErrSetupFunctionMissing);
      return 4;
    case BindStatus::kBound:
      break;
  }
  RecordError(kTokenOk);
  lib.bound = true;
  return 0;
}

void UnbindPlatform() {
  LibraryState& lib = Library();
  lib.platform->hid->Unbind();
  lib.bound = false;
}

}  // namespace quill
