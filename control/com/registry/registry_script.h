// Registry scripts: the module's description of the keys it registers, in
// the registrar's text form, e.g.
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove {6AAEEBD3-...} = s 'QuillActiveXCtrl Class'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// Tokens are separated by white space; a name or text in single quotes may
// hold spaces ('' is a quote). %NAME% in a token is replaced after the token
// is read, so a replacement may hold any character; %% is a percent sign.
// Values: s 'text' (REG_SZ) or d number (REG_DWORD).
// Blocks nest at most 64 deep (the root's block is the first); a deeper
// script is refused.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quill {

// What unregistration does with a key (and, for Delete, registration).
enum class KeyRemoval {
  kIfEmpty,      // removed when no subkey is left in it
  kNoRemove,     // kept; only what is declared below it is removed
  kForceRemove,  // removed with everything in it (and replaced on registration)
  kDelete,       // deleted on registration, not written
};

struct RegistryData {
  bool isNumber = false;
  std::wstring text;
  uint32_t number = 0;
};

struct RegistryNamedValue {
  std::wstring name;
  RegistryData data;
};

struct RegistryKey {
  std::wstring name;
  KeyRemoval removal = KeyRemoval::kIfEmpty;
  bool hasDefault = false;
  RegistryData defaultValue;
  std::vector<RegistryNamedValue> values;
  std::vector<RegistryKey> subkeys;
};

struct RegistryTree {
  std::wstring root;  // HKCR, HKCU, HKLM or their long names
  std::vector<RegistryKey> keys;
};

using ScriptReplacements = std::vector<std::pair<std::wstring, std::wstring>>;

struct RegistryScriptResult {
  bool ok = false;
  std::wstring error;  // what was wrong, when not ok
  std::vector<RegistryTree> trees;
};

RegistryScriptResult ParseRegistryScript(const std::wstring& script,
                                         const ScriptReplacements& replacements);

}  // namespace quill
