// Controls on two apartment threads at once, as a browser creates them: each
// thread's calls give that thread's results, and storage reads return the
// data the thread itself wrote, never the other thread's.
#include <ole2.h>
#include <windows.h>

#include <string>

#include "QuillActiveX.h"
#include "tests/checks.h"
#include "tests/client_groups.h"

namespace quill {
namespace comtest {
namespace {

constexpr int kRounds = 30;
constexpr LONG kRegionLength = 40;

// One thread's control and what it saw; checked on the main thread.
struct ApartmentRun {
  int index = 0;
  std::wstring uid;
  bool created = false;
  HRESULT wrote = E_FAIL;
  LONG writeResult = -1;
  int wrongUids = 0;
  int foreignReads = 0;
  int failedCalls = 0;
};

std::wstring OwnText(int index) {
  return std::wstring(kRegionLength, static_cast<wchar_t>(L'K' + index));
}

DWORD WINAPI RunApartment(void* parameter) {
  ApartmentRun& run = *static_cast<ApartmentRun*>(parameter);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  IQuillActiveXCtrl* control = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_QuillActiveXCtrl, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IQuillActiveXCtrl, reinterpret_cast<void**>(&control)))) {
    run.created = true;
    const LONG start = 1024 + run.index * 512;
    const std::wstring own = OwnText(run.index);
    BSTR text = SysAllocStringLen(own.data(), static_cast<UINT>(own.size()));
    run.wrote = control->QuillWriteUserStorageEx(start, text, &run.writeResult);
    SysFreeString(text);
    for (int i = 0; i < kRounds; ++i) {
      BSTR uid = nullptr;
      if (FAILED(control->QuillGetUID(&uid))) ++run.failedCalls;
      if (uid == nullptr || std::wstring(uid, SysStringLen(uid)) != run.uid) ++run.wrongUids;
      SysFreeString(uid);
      BSTR read = nullptr;
      if (FAILED(control->QuillReadUserStorageEx(start, kRegionLength, &read))) ++run.failedCalls;
      if (read == nullptr || std::wstring(read, SysStringLen(read)) != own) ++run.foreignReads;
      SysFreeString(read);
    }
    control->Release();
  }
  CoUninitialize();
  return 0;
}

}  // namespace

void CheckConcurrentApartments(const std::string& uidText) {
  Section("two apartment threads at once");
  ApartmentRun runs[2];
  HANDLE threads[2] = {};
  for (int i = 0; i < 2; ++i) {
    runs[i].index = i;
    runs[i].uid = std::wstring(uidText.begin(), uidText.end());
    threads[i] = CreateThread(nullptr, 0, RunApartment, &runs[i], 0, nullptr);
  }
  const bool started = threads[0] != nullptr && threads[1] != nullptr;
  Check(started, "both threads start");
  if (started) {
    Check(WaitForMultipleObjects(2, threads, TRUE, 120000) == WAIT_OBJECT_0, "both threads finish");
  }
  for (int i = 0; i < 2; ++i) {
    if (threads[i] != nullptr) CloseHandle(threads[i]);
    const std::string who = "thread " + std::to_string(i) + ": ";
    const ApartmentRun& run = runs[i];
    Check(run.created, who + "creates its control");
    CheckHr(run.wrote, S_OK, who + "writes its region");
    Check(run.writeResult == 0, who + "write result " + std::to_string(run.writeResult));
    Check(run.failedCalls == 0, who + std::to_string(run.failedCalls) + " failed calls");
    Check(run.wrongUids == 0, who + std::to_string(run.wrongUids) + " wrong UIDs");
    Check(run.foreignReads == 0,
          who + std::to_string(run.foreignReads) + " reads that were not its own data");
  }
}

}  // namespace comtest
}  // namespace quill
