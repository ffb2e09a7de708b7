#include "com_strings.h"

#include <string>

namespace quill {

static_assert(sizeof(OLECHAR) == sizeof(char16_t), "OLE strings are UTF-16");

ScriptText TextFromBstr(BSTR value) {
  if (value == nullptr) return ScriptText::Null();
  const UINT length = SysStringLen(value);
  return ScriptText::Of(std::u16string(reinterpret_cast<const char16_t*>(value), length));
}

bool TextToBstr(const ScriptText& text, BSTR* result) {
  *result = nullptr;
  if (text.isNull || text.text.empty()) return true;
  *result = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.text.data()),
                              static_cast<UINT>(text.text.size()));
  return *result != nullptr;
}

}  // namespace quill
