#include "resource_checks.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "control_strings.h"
#include "dialog_user.h"
#include "resource_ids.h"

namespace quill::dialog_driver {
namespace {

constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

struct Resource {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

Resource Find(HINSTANCE module, LPCWSTR type, LPCWSTR name, WORD language) {
  HRSRC found = FindResourceExW(module, type, name, language);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return {};
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

// A bounds-checked reader over a resource's bytes.
class Reader {
 public:
  explicit Reader(const Resource& resource) : data_(resource.data), size_(resource.size) {}
  bool ok() const { return ok_; }
  uint16_t Word() {
    if (!Need(2)) return 0;
    uint16_t value;
    std::memcpy(&value, data_ + at_, 2);
    at_ += 2;
    return value;
  }
  uint32_t Dword() {
    const uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
  }
  void Skip(size_t count) {
    if (Need(count)) at_ += count;
  }
  void AlignDword() { Skip((4 - at_ % 4) % 4); }
  // A zero-ended UTF-16 text.
  std::u16string Text() {
    std::u16string text;
    for (uint16_t c = Word(); ok_ && c != 0; c = Word()) text.push_back(static_cast<char16_t>(c));
    return text;
  }
  // A text or an ordinal (0xFFFF and a number), as a template names things.
  std::u16string TextOrOrdinal() {
    if (!Need(2)) return {};
    uint16_t first;
    std::memcpy(&first, data_ + at_, 2);
    if (first != 0xFFFF) return Text();
    Word();
    return u"#" + std::u16string(1, static_cast<char16_t>(Word()));
  }

 private:
  bool Need(size_t count) {
    if (!ok_ || at_ + count > size_) ok_ = false;
    return ok_;
  }
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

struct TemplateItem {
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  int32_t id = 0;
};

struct DialogTemplate {
  uint32_t style = 0;
  int16_t cx = 0, cy = 0;
  std::u16string caption;
  uint16_t pointSize = 0;
  std::u16string font;
  std::vector<TemplateItem> items;
};

// Reads an extended dialog template (DLGTEMPLATEEX and its items).
bool ReadTemplate(const Resource& resource, DialogTemplate* dialog) {
  Reader in(resource);
  if (in.Word() != 1 || in.Word() != 0xFFFF) return false;
  in.Dword();  // help id
  in.Dword();  // extended style
  dialog->style = in.Dword();
  const uint16_t count = in.Word();
  in.Skip(4);  // x, y
  dialog->cx = static_cast<int16_t>(in.Word());
  dialog->cy = static_cast<int16_t>(in.Word());
  in.TextOrOrdinal();  // menu
  in.TextOrOrdinal();  // class
  dialog->caption = in.Text();
  if (dialog->style & DS_SETFONT) {
    dialog->pointSize = in.Word();
    in.Skip(4);  // weight, italic, character set
    dialog->font = in.Text();
  }
  for (uint16_t i = 0; i < count && in.ok(); ++i) {
    in.AlignDword();
    TemplateItem item;
    in.Dword();  // help id
    in.Dword();  // extended style
    item.style = in.Dword();
    item.x = static_cast<int16_t>(in.Word());
    item.y = static_cast<int16_t>(in.Word());
    item.cx = static_cast<int16_t>(in.Word());
    item.cy = static_cast<int16_t>(in.Word());
    item.id = static_cast<int32_t>(in.Dword());
    in.TextOrOrdinal();  // class
    in.TextOrOrdinal();  // text
    in.Skip(in.Word());  // creation data
    dialog->items.push_back(item);
  }
  return in.ok();
}

const TemplateItem* ItemWithId(const DialogTemplate& dialog, int32_t id) {
  for (const TemplateItem& item : dialog.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

bool At(const TemplateItem* item, int x, int y, int cx, int cy) {
  return item != nullptr && item->x == x && item->y == y && item->cx == cx && item->cy == cy;
}

std::string Placed(const TemplateItem* item) {
  if (item == nullptr) return " missing";
  return " at " + std::to_string(item->x) + "," + std::to_string(item->y) + " " +
         std::to_string(item->cx) + "x" + std::to_string(item->cy);
}

void CheckTemplate(Checks& checks, HINSTANCE module, WORD language, const std::string& name) {
  DialogTemplate dialog;
  const bool read = ReadTemplate(
      Find(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(IDD_LOGIN), language),
      &dialog);
  if (!checks.Expect(read, name + "dialog 104 is there and reads as an extended template")) return;
  const bool chinese = language == kChinese;
  const DWORD frame = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  checks.Expect(dialog.style == frame, name +
                                           "dialog style: popup, caption, system menu, modal "
                                           "frame, centred, own font");
  checks.Expect(dialog.cx == 200 && dialog.cy == 80 && dialog.items.size() == 6,
                name + "200 x 80 with six controls");
  checks.Expect(dialog.font == u"MS Shell Dlg" && dialog.pointSize == 8,
                name + "font MS Shell Dlg 8");
  checks.Expect(
      dialog.caption == TextsOf(chinese ? UiLanguage::kChinese : UiLanguage::kEnglish).caption,
      name + "caption " + Printable(dialog.caption));

  const TemplateItem* field = ItemWithId(dialog, IDC_PASSWORD);
  checks.Expect(At(field, 40, 20, 137, 15) && (field->style & ES_PASSWORD) != 0,
                name + "password field at 40,20 137x15 with ES_PASSWORD");
  const TemplateItem* login = ItemWithId(dialog, IDC_LOGIN);
  checks.Expect(At(login, 40, 48, 54, 16), name + "login button" + Placed(login));
  const TemplateItem* cancel = ItemWithId(dialog, IDC_CANCEL);
  checks.Expect(At(cancel, 123, 48, 54, 16), name + "cancel button" + Placed(cancel));
  const TemplateItem* message = ItemWithId(dialog, IDC_MESSAGE);
  checks.Expect(At(message, 41, 37, 133, 11), name + "message line" + Placed(message));
  const TemplateItem* label = ItemWithId(dialog, -1);
  checks.Expect(chinese ? At(label, 40, 8, 37, 10) : At(label, 40, 10, 37, 8),
                name + "label" + Placed(label));
  const TemplateItem* icon = ItemWithId(dialog, IDC_ICON);
  checks.Expect(At(icon, 13, 14, chinese ? 21 : 20, 20), name + "icon" + Placed(icon));
}

// A string table block holds 16 counted texts; string id sits in block
// id / 16 + 1 at place id % 16.
std::u16string StringOf(HINSTANCE module, int id, WORD language) {
  Reader in(
      Find(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(id / 16 + 1), language));
  for (int place = 0; place < 16 && in.ok(); ++place) {
    const uint16_t length = in.Word();
    std::u16string text;
    for (uint16_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(in.Word()));
    if (place == id % 16) return in.ok() ? text : std::u16string();
  }
  return std::u16string();
}

void CheckStrings(Checks& checks, HINSTANCE module, WORD language, const std::string& name) {
  const UiLanguage table = language == kChinese ? UiLanguage::kChinese : UiLanguage::kEnglish;
  for (int id : {IDS_PROJNAME, IDS_WRONG_PIN, IDS_NO_KEY}) {
    const std::u16string text = StringOf(module, id, language);
    checks.Expect(!text.empty() && text == ControlString(id, table),
                  name + "string " + std::to_string(id) + " is the control's: " + Printable(text));
  }
}

void CheckImages(Checks& checks, HINSTANCE module) {
  HANDLE bitmap = LoadImageW(module, MAKEINTRESOURCEW(IDB_QUILLACTIVEX), IMAGE_BITMAP, 0, 0, 0);
  BITMAP bits = {};
  checks.Expect(bitmap != nullptr && GetObjectW(bitmap, sizeof(bits), &bits) &&
                    bits.bmWidth == 16 && bits.bmHeight == 16,
                "bitmap 102 is a 16 x 16 picture");
  if (bitmap != nullptr) DeleteObject(bitmap);

  HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(IDI_QUILL), IMAGE_ICON, 32, 32, 0);
  ICONINFO info = {};
  BITMAP colour = {};
  const bool loaded = icon != nullptr && GetIconInfo(static_cast<HICON>(icon), &info);
  if (loaded) {
    GetObjectW(info.hbmColor, sizeof(colour), &colour);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  checks.Expect(loaded && colour.bmWidth == 32 && colour.bmHeight == 32,
                "icon 205 is a 32 x 32 picture");
  if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
}

}  // namespace

void CheckResources(Checks& checks, HINSTANCE module) {
  for (WORD language : {kEnglish, kChinese}) {
    const std::string name = language == kChinese ? "zh resources: " : "en resources: ";
    CheckTemplate(checks, module, language, name);
    CheckStrings(checks, module, language, name);
  }
  CheckImages(checks, module);
}

}  // namespace quill::dialog_driver
