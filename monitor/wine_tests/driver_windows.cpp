#include "driver_windows.h"

namespace quill::monitor_driver {
namespace {

bool Matches(HWND window, const WindowSpec& spec) {
  if (spec.windowClass != L"*" && ClassOf(window) != spec.windowClass) return false;
  if (spec.caption == L"*") return true;
  return TextOf(window) == spec.caption;
}

struct Search {
  const WindowSpec* spec;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (Matches(window, *search->spec)) search->found->push_back(window);
  return TRUE;
}

struct IdSearch {
  int id;
  std::wstring windowClass;
  HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<IdSearch*>(context);
  const bool match = search->windowClass.empty() ? GetDlgCtrlID(window) == search->id
                                                 : ClassOf(window) == search->windowClass;
  if (!match) return TRUE;
  search->found = window;
  return FALSE;
}

struct ClassCollection {
  std::wstring windowClass;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectOfClass(HWND window, LPARAM context) {
  auto* collection = reinterpret_cast<ClassCollection*>(context);
  if (collection->windowClass == L"*" || ClassOf(window) == collection->windowClass) {
    collection->found->push_back(window);
  }
  return TRUE;
}

}  // namespace

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length)) {
    return std::wstring();
  }
  std::vector<wchar_t> buffer(length + 2);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 1000,
                           &copied)) {
    return std::wstring();
  }
  return std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
}

std::vector<HWND> FindTopWindows(const WindowSpec& spec) {
  std::vector<HWND> found;
  Search search{&spec, &found};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  HWND progman = FindWindowW(L"Progman", nullptr);
  if (progman != nullptr) {
    for (HWND child = GetWindow(progman, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if (Matches(child, spec)) found.push_back(child);
    }
  }
  return found;
}

HWND FindTopWindow(const WindowSpec& spec) {
  const std::vector<HWND> found = FindTopWindows(spec);
  return found.empty() ? nullptr : found.front();
}

HWND FindDescendant(HWND window, int controlId) {
  IdSearch search{controlId, std::wstring(), nullptr};
  EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindDescendantOfClass(HWND window, const std::wstring& windowClass) {
  IdSearch search{0, windowClass, nullptr};
  EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> FindDescendantsOfClass(HWND window, const std::wstring& windowClass) {
  std::vector<HWND> found;
  ClassCollection collection{windowClass, &found};
  EnumChildWindows(window, CollectOfClass, reinterpret_cast<LPARAM>(&collection));
  return found;
}

}  // namespace quill::monitor_driver
