#include "registry/registry_resource.h"

#include <string>

#include "registry/registry_writer.h"

namespace quill {
namespace {

// The script's text (UTF-8, or plain ASCII) as wide text.
HRESULT LoadScript(HINSTANCE module, int resourceId, std::wstring* script) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
  if (found == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const char* bytes = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  script->clear();
  if (size == 0) return S_OK;
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
  if (length <= 0) return HRESULT_FROM_WIN32(GetLastError());
  script->resize(static_cast<size_t>(length));
  MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), &(*script)[0], length);
  return S_OK;
}

}  // namespace

HRESULT RunRegistryScript(HINSTANCE module, int resourceId, const ScriptReplacements& replacements,
                          ScriptAction action) {
  std::wstring text;
  const HRESULT loaded = LoadScript(module, resourceId, &text);
  if (FAILED(loaded)) return loaded;
  const RegistryScriptResult script = ParseRegistryScript(text, replacements);
  if (!script.ok) return HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
  return action == ScriptAction::kRegister ? WriteRegistryTrees(script.trees)
                                           : RemoveRegistryTrees(script.trees);
}

}  // namespace quill
