#include "basic_page_window.h"

#include <commctrl.h>

#include "resource_ids.h"
#include "wide_text.h"

namespace quill {

HWND BasicPageWindow::Create(HWND parent) {
  return CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_BASIC_PAGE), parent, DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

void BasicPageWindow::InsertColumns() {
  const HWND list = GetDlgItem(page_, IDC_LIST);
  const struct {
    const char16_t* header;
    int width;
  } columns[] = {{kBasicColumn0Header, kBasicColumn0Width},
                 {kBasicColumn1Header, kBasicColumn1Width}};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(columns[i].header));
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

void BasicPageWindow::Refresh() {
  if (page_ == nullptr) return;
  const BasicPageList list = core_.RefreshList();
  const HWND view = GetDlgItem(page_, IDC_LIST);
  SendMessageW(view, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < list.rows.size(); ++i) {
    const BasicPageRow& row = list.rows[i];
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(WidePointer(row.label));
    item.state = row.selected ? LVIS_SELECTED : 0;
    item.stateMask = LVIS_SELECTED;
    const int index =
        static_cast<int>(SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) continue;
    LVITEMW value = {};
    value.iSubItem = 1;
    value.pszText = const_cast<wchar_t*>(WidePointer(row.value));
    SendMessageW(view, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&value));
  }
}

INT_PTR CALLBACK BasicPageWindow::DialogProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* self = reinterpret_cast<BasicPageWindow*>(lParam);
  SetWindowLongPtrW(page, DWLP_USER, lParam);
  self->page_ = page;
  self->InsertColumns();
  self->Refresh();
  return TRUE;
}

}  // namespace quill
