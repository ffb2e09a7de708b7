// CBasicPage: what the Basic page's list shows. The Windows page inserts the
// two columns with the fixed headers below at its initialisation, and on
// every RefreshList deletes all rows and inserts the rows given here in
// order, each in the selected state when it says so.
#pragma once

#include <string>
#include <vector>

#include "browser/system_helper.h"
#include "ports/monitor_ports.h"
#include "usb_key.h"

namespace quill {

// The column headers are fixed texts that do not follow the interface language.
constexpr char16_t kBasicColumn0Header[] = u"系统检测";
constexpr int kBasicColumn0Width = 160;
constexpr char16_t kBasicColumn1Header[] = u"状态";
constexpr int kBasicColumn1Width = 230;

constexpr char16_t kSuffix64Bit[] = u"  x64 (64bit)";
constexpr char16_t kSuffix32Bit[] = u"  x86 (32bit)";
constexpr size_t kIeVersionCharacters = 128;  // at most this much of the version is shown
// The library code of a token that answered "locked" (status 0xE3).
constexpr int kTokenLockedError = 258;

struct BasicPageRow {
  std::u16string label;   // column 0
  std::u16string value;   // column 1
  bool selected = false;  // inserted with LVIS_SELECTED
};

struct BasicPageList {
  std::vector<BasicPageRow> rows;
  int result = 0;  // 1 when key information was shown, 0 otherwise
};

class CBasicPage {
 public:
  explicit CBasicPage(const MonitorPorts& ports) : ports_(ports), helper_(ports), usbKey_(ports) {}

  BasicPageList RefreshList();
  CUsbKey& usbKey() { return usbKey_; }

 private:
  std::u16string String(int id);

  MonitorPorts ports_;
  CSystemHelper helper_;
  CUsbKey usbKey_;
};

}  // namespace quill
