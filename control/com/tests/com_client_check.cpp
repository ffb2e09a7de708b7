// Checks the registered QuillActiveX server as a client and a container do:
// the names and DISPIDs of every member, the type library's contents, a call
// from a second apartment through the module's proxy/stub, and the hosting
// interfaces (site, windowless and windowed activation, drawing,
// persistence), the module file and its login dialog, aggregation and
// unloading. Needs one virtual token; its UID text is the first argument. Ends with
// "com-client-check-done"; exits with the number of failed checks.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/checks.h"
#include "tests/client_groups.h"

namespace quill {
namespace comtest {
namespace {

int g_failures = 0;

}  // namespace

void Section(const char* name) {
  std::printf("== %s\n", name);
}

bool Check(bool condition, const std::string& what) {
  if (!condition) {
    ++g_failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
  return condition;
}

bool CheckHr(HRESULT result, HRESULT expected, const std::string& what) {
  char text[64];
  std::snprintf(text, sizeof(text), " (hr 0x%08lx, expected 0x%08lx)",
                static_cast<unsigned long>(result), static_cast<unsigned long>(expected));
  return Check(result == expected, what + text);
}

int Failures() {
  return g_failures;
}

std::string Narrow(const wchar_t* text) {
  if (text == nullptr) return "(null)";
  std::string narrow;
  for (; *text != L'\0'; ++text) narrow += *text < 128 ? static_cast<char>(*text) : '?';
  return narrow;
}

std::string Narrow(const std::wstring& text) {
  return Narrow(text.c_str());
}

}  // namespace comtest
}  // namespace quill

int main(int argc, char** argv) {
  using namespace quill::comtest;
  if (argc < 2) {
    std::printf("usage: com_client_check UID_TEXT\n");
    return 2;
  }
  const std::string uidText = argv[1];
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("FAIL: CoInitializeEx\n");
    return 1;
  }
  CheckNamesAndDispids();
  CheckTypeLibrary();
  CheckSecondApartment(uidText);
  CheckEdgeConversions();
  CheckConcurrentApartments(uidText);
  CheckHosting();
  CheckModuleFile();
  CheckLoginDialog();
  CheckAggregationAndUnloading();
  CoUninitialize();
  std::printf("failures=%d\n", Failures());
  std::printf("com-client-check-done\n");
  std::fflush(stdout);
  return Failures();
}
