// The storage-face slots: CD-ROM-class tokens found by their interface path.
#pragma once

#include "library_state.h"

namespace quill {

// Opens the slot's device; false (code 38) when it cannot be opened.
bool OpenStorageSlot(StorageSlot& slot);
// Closes the slot with the given storage id: unknown id records 80, id 0 does nothing.
void CloseStorageSlot(int id);

}  // namespace quill
