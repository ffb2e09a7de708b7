// Checks of the module's resources as the resource compiler laid them down,
// in both languages: the dialog templates, the string tables and the images.
#pragma once

#include <windows.h>

#include "driver_checks.h"

namespace quill::dialog_driver {

void CheckResources(Checks& checks, HINSTANCE module);

}  // namespace quill::dialog_driver
