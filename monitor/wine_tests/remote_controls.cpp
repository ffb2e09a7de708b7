#include "remote_controls.h"

#include <commctrl.h>

#include "remote_memory.h"

namespace quill::monitor_driver {
namespace {

constexpr size_t kTextChars = 1024;

}  // namespace

bool ReadListRows(HWND list, int columns, std::vector<std::vector<std::wstring>>* rows) {
  rows->clear();
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) {
    return false;
  }
  RemoteMemory memory(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  if (!memory.Ready()) return false;
  auto* remoteText =
      reinterpret_cast<wchar_t*>(static_cast<char*>(memory.Address()) + sizeof(LVITEMW));
  for (DWORD_PTR row = 0; row < count; ++row) {
    std::vector<std::wstring> texts;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item = {};
      item.iSubItem = column;
      item.pszText = remoteText;
      item.cchTextMax = static_cast<int>(kTextChars);
      const wchar_t empty = L'\0';
      if (!memory.Write(0, &item, sizeof item) ||
          !memory.Write(sizeof(LVITEMW), &empty, sizeof empty)) {
        return false;
      }
      DWORD_PTR length = 0;
      if (!SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row,
                               reinterpret_cast<LPARAM>(memory.Address()), SMTO_ABORTIFHUNG, 2000,
                               &length)) {
        return false;
      }
      std::wstring text(kTextChars, L'\0');
      if (!memory.Read(sizeof(LVITEMW), &text[0], kTextChars * sizeof(wchar_t))) return false;
      text.resize(wcsnlen(text.c_str(), kTextChars));
      texts.push_back(text);
    }
    rows->push_back(texts);
  }
  return true;
}

bool SelectTab(HWND tab, int index, bool explicitNotify) {
  DWORD_PTR answer = 0;
  if (!explicitNotify) {
    SendMessageTimeoutW(tab, TCM_SETCURFOCUS, index, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  } else {
    SendMessageTimeoutW(tab, TCM_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    NMHDR header = {};
    header.hwndFrom = tab;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tab));
    header.code = TCN_SELCHANGE;
    RemoteMemory memory(tab, sizeof header);
    if (!memory.Ready() || !memory.Write(0, &header, sizeof header)) return false;
    SendMessageTimeoutW(GetParent(tab), WM_NOTIFY, header.idFrom,
                        reinterpret_cast<LPARAM>(memory.Address()), SMTO_ABORTIFHUNG, 5000,
                        &answer);
  }
  DWORD_PTR selected = 0;
  SendMessageTimeoutW(tab, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected);
  return static_cast<int>(selected) == index;
}

}  // namespace quill::monitor_driver
