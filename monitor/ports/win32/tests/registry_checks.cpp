#include <windows.h>

#include "port_checks.h"
#include "win32_registry.h"

namespace quill {
namespace {

const char16_t kScratch[] = u"Software\\QuillMonitorPortChecks";
const wchar_t kScratchWide[] = L"Software\\QuillMonitorPortChecks";

std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool terminator) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  if (terminator) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

void RemoveScratch(HKEY root, REGSAM view) {
  RegDeleteTreeW(root, kScratchWide);  // the shared or default view
  HKEY software = nullptr;
  if (RegOpenKeyExW(root, L"Software", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
    RegDeleteTreeW(software, L"QuillMonitorPortChecks");
    RegCloseKey(software);
  }
}

void ValuesRoundTrip(Checks& checks, Win32RegistryPort& registry) {
  const RegistryRoot root = RegistryRoot::kCurrentUser;
  checks.Expect(!registry.KeyOpens(root, kScratch), "the scratch key is missing at first");
  checks.Expect(!registry.WriteValue(root, kScratch, u"Name", kRegSz, Utf16Bytes(u"x", true)),
                "writing into a missing key fails and creates nothing");
  checks.Expect(!registry.KeyOpens(root, kScratch), "a failed write created no key");
  checks.Expect(registry.CreateKey(root, std::u16string(kScratch) + u"\\Deeper\\Still"),
                "a key is created with the keys above it");
  checks.Expect(registry.KeyOpens(root, kScratch), "the created key opens");

  const std::vector<uint8_t> text = Utf16Bytes(u"C:\\log.txt", false);
  checks.Expect(registry.WriteValue(root, kScratch, u"Text", kRegSz, text),
                "a REG_SZ value without terminator is written");
  uint32_t type = 0;
  std::vector<uint8_t> data;
  // Wine hands a REG_SZ stored without terminator back with one added; the
  // stored bytes come first either way.
  std::vector<uint8_t> terminated = text;
  terminated.insert(terminated.end(), {0, 0});
  checks.Expect(
      registry.ReadValue(root, kScratch, u"Text", 255, &type, &data) == RegistryRead::kOk &&
          type == kRegSz && (data == text || data == terminated),
      "a string value reads back as its stored bytes");

  const std::vector<uint8_t> binary = {1, 2, 3, 4, 5, 6, 7};
  checks.Expect(registry.WriteValue(root, kScratch, u"Binary", 3 /* REG_BINARY */, binary),
                "a binary value is written");
  data = {0xAA};
  checks.Expect(registry.ReadValue(root, kScratch, u"Binary", binary.size() - 1, &type, &data) ==
                        RegistryRead::kReadFailed &&
                    data == std::vector<uint8_t>{0xAA},
                "a value one byte larger than offered is a failed read returning nothing");
  checks.Expect(registry.ReadValue(root, kScratch, u"Binary", binary.size(), &type, &data) ==
                        RegistryRead::kOk &&
                    type == 3 && data == binary,
                "a value exactly as large as offered reads as exactly its bytes");
  checks.Expect(
      registry.ReadValue(root, kScratch, u"Text", 0, &type, &data) == RegistryRead::kReadFailed,
      "an offer of no bytes fails for a value with data");

  checks.Expect(registry.WriteValue(root, kScratch, u"Empty", kRegSz, {}),
                "a value with no bytes is written");
  checks.Expect(
      registry.ReadValue(root, kScratch, u"Empty", 0, &type, &data) == RegistryRead::kOk &&
          data.empty() && type == kRegSz,
      "a value with no bytes reads as no bytes");

  const std::vector<uint8_t> one = {1, 0, 0, 0};
  checks.Expect(registry.WriteValue(root, kScratch, u"", kRegDword, one),
                "the default value is written");
  checks.Expect(registry.ReadValue(root, kScratch, u"", 4, &type, &data) == RegistryRead::kOk &&
                    type == kRegDword && data == one,
                "the default value reads back");

  checks.Expect(registry.ReadValue(root, kScratch, u"Missing", 255, &type, &data) ==
                    RegistryRead::kReadFailed,
                "a missing value is a failed read");
  checks.Expect(registry.ReadValue(root, u"Software\\QuillNoSuchKey", u"x", 255, &type, &data) ==
                    RegistryRead::kKeyMissing,
                "a missing key is reported as such");
}

// The monitor is a 32-bit program: what it writes under the machine's
// software key lands in the 32-bit view, also when a 64-bit build runs.
void ThirtyTwoBitView(Checks& checks, Win32RegistryPort& registry) {
  const RegistryRoot root = RegistryRoot::kLocalMachine;
  if (!registry.CreateKey(root, kScratch)) {
    checks.Expect(false, "the machine scratch key is created");
    return;
  }
  checks.Expect(registry.WriteValue(root, kScratch, u"View", kRegDword, {7, 0, 0, 0}),
                "a machine value is written");
  HKEY key = nullptr;
  const bool in32 = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kScratchWide, 0,
                                  KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS;
  if (in32) RegCloseKey(key);
  checks.Expect(in32, "the key is in the 32-bit view");
#ifdef _WIN64
  const bool in64 = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kScratchWide, 0,
                                  KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS;
  if (in64) RegCloseKey(key);
  checks.Expect(!in64, "the key is not in the 64-bit view");
  checks.Expect(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\QuillMonitorPortChecks",
                              0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS,
                "the 64-bit program sees it under Wow6432Node");
  if (key != nullptr) RegCloseKey(key);
#endif
  RemoveScratch(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
}

}  // namespace

void RunRegistryChecks(Checks& checks) {
  checks.Group("registry");
  Win32RegistryPort registry;
  RemoveScratch(HKEY_CURRENT_USER, KEY_WOW64_32KEY);
  ValuesRoundTrip(checks, registry);
  RemoveScratch(HKEY_CURRENT_USER, KEY_WOW64_32KEY);
  ThirtyTwoBitView(checks, registry);
}

}  // namespace quill
