#include "type_library.h"

#include <string>

#include "module.h"

namespace quill {

HRESULT LoadModuleTypeLib(ITypeLib** library) {
  *library = nullptr;
  const std::wstring path = ModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

}  // namespace quill
