// The registrar-script parser on any text (each input byte one character,
// and with a second byte for characters beyond Latin-1), with replacements
// that hold the script's own special characters: it either gives trees and
// no error, or an error and no trees.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "registry/registry_script.h"

namespace {

void Check(const std::wstring& script) {
  static const quill::ScriptReplacements kReplacements = {
      {L"MODULE", L"C:\\Program Files\\Quill\\x.ocx"},
      {L"TRICKY", L"} { ' = s d %"},
      {L"EMPTY", L""},
  };
  const quill::RegistryScriptResult result = quill::ParseRegistryScript(script, kReplacements);
  if (result.ok != result.error.empty()) std::abort();
  if (!result.ok && !result.trees.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring narrow;
  for (size_t i = 0; i < size; ++i) narrow += static_cast<wchar_t>(data[i]);
  Check(narrow);

  std::wstring wide;
  for (size_t i = 0; i + 1 < size; i += 2) {
    wide += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
  }
  Check(wide);
  return 0;
}
