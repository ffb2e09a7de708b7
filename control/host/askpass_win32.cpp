// The askpass program on Windows: CreateProcessW with standard output piped
// and only the three handles it needs inherited, in a job object that ends
// it with the host, and a bounded wait.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "askpass.h"

namespace quill::host {
namespace {

std::wstring ProgramName() {
  const DWORD size = GetEnvironmentVariableW(L"QUILL_ASKPASS", nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"QUILL_ASKPASS", &value[0], size);
  if (length == 0 || length >= size) return std::wstring();
  value.resize(length);
  return value;
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

// Appends one argument quoted so that the C runtime's parser reads it back
// unchanged.
void AppendQuoted(const std::wstring& argument, std::wstring* line) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    *line += argument;
    return;
  }
  line->push_back(L'"');
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line->append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line->push_back(c);
  }
  line->append(backslashes * 2, L'\\');
  line->push_back(L'"');
}

// A handle the child may inherit: the given one duplicated, or the null
// device opened with the given access.
HANDLE InheritableCopy(HANDLE handle, DWORD nullAccess) {
  HANDLE copy = nullptr;
  if (handle && handle != INVALID_HANDLE_VALUE &&
      DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                      DUPLICATE_SAME_ACCESS)) {
    return copy;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(L"NUL", nullAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     OPEN_EXISTING, 0, nullptr);
}

void CloseAll(std::initializer_list<HANDLE> handles) {
  for (HANDLE handle : handles) {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
}

// Starts the program with exactly these three standard handles inherited.
bool Start(std::wstring commandLine, HANDLE input, HANDLE output, HANDLE error,
           PROCESS_INFORMATION* process) {
  HANDLE inherited[] = {input, output, error};
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> buffer(size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer.data());
  if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return false;
  bool started = false;
  if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                sizeof inherited, nullptr, nullptr)) {
    STARTUPINFOEXW info{};
    info.StartupInfo.cb = sizeof info;
    info.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    info.StartupInfo.hStdInput = input;
    info.StartupInfo.hStdOutput = output;
    info.StartupInfo.hStdError = error;
    info.lpAttributeList = attributes;
    started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                             EXTENDED_STARTUPINFO_PRESENT | CREATE_SUSPENDED, nullptr, nullptr,
                             &info.StartupInfo, process) != FALSE;
  }
  DeleteProcThreadAttributeList(attributes);
  return started;
}

struct PipeReading {
  HANDLE pipe;
  std::string text;
};

// A thread of its own reads the pipe, so that the wait can be bounded.
DWORD WINAPI ReadAll(void* argument) {
  auto* reading = static_cast<PipeReading*>(argument);
  char buffer[512];
  DWORD got = 0;
  while (ReadFile(reading->pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    const size_t room = kMaxAskpassOutput - std::min(reading->text.size(), kMaxAskpassOutput);
    reading->text.append(buffer, std::min(static_cast<size_t>(got), room));
  }
  return 0;
}

// A job whose processes end when its last handle closes: the host's, at the
// latest when the host ends.
HANDLE KillOnCloseJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

DWORD MillisecondsLeft(ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

}  // namespace

bool EnvironmentAskpass::Configured() {
  return !ProgramName().empty();
}

AskpassStatus EnvironmentAskpass::Ask(const std::string& prompt, std::string* typed) {
  typed->clear();
  const std::wstring program = ProgramName();
  if (program.empty()) return AskpassStatus::kNotStarted;
  std::wstring commandLine;
  AppendQuoted(program, &commandLine);
  commandLine += L' ';
  AppendQuoted(Widen(prompt), &commandLine);

  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return AskpassStatus::kNotStarted;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = InheritableCopy(nullptr, GENERIC_READ);
  HANDLE error = InheritableCopy(GetStdHandle(STD_ERROR_HANDLE), GENERIC_WRITE);

  const ULONGLONG deadline = GetTickCount64() + 1000ULL * AskpassTimeoutSeconds();
  PROCESS_INFORMATION process{};
  const bool started = Start(commandLine, input, writeEnd, error, &process);
  CloseAll({writeEnd, input, error});
  if (!started) {
    CloseHandle(readEnd);
    return AskpassStatus::kNotStarted;
  }
  // Started suspended, so that it is in the job before it can start others.
  // Without a job (an older system that refuses nesting) it still runs.
  HANDLE job = KillOnCloseJob();
  if (job && !AssignProcessToJobObject(job, process.hProcess)) {
    CloseHandle(job);
    job = nullptr;
  }
  ResumeThread(process.hThread);

  PipeReading reading{readEnd, std::string()};
  HANDLE reader = CreateThread(nullptr, 0, ReadAll, &reading, 0, nullptr);
  if (!reader) ReadAll(&reading);  // unbounded, as before, when no thread can be had
  const bool timedOut =
      (reader && WaitForSingleObject(reader, MillisecondsLeft(deadline)) == WAIT_TIMEOUT) ||
      WaitForSingleObject(process.hProcess, MillisecondsLeft(deadline)) == WAIT_TIMEOUT;
  if (timedOut) {
    if (job) {
      TerminateJobObject(job, 1);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    // The pipe's last writer is gone (or, outside a job, may not be): cancel the read.
    if (reader && WaitForSingleObject(reader, 1000) == WAIT_TIMEOUT) {
      CancelSynchronousIo(reader);
    }
  }
  if (reader) {
    WaitForSingleObject(reader, INFINITE);
    CloseHandle(reader);
  }
  CloseHandle(readEnd);
  *typed = std::move(reading.text);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseAll({process.hProcess, process.hThread, job});
  if (timedOut) {
    typed->clear();
    return AskpassStatus::kTimedOut;
  }
  if (exitCode != 0) {
    typed->clear();
    return AskpassStatus::kCancelled;
  }
  return AskpassStatus::kTyped;
}

}  // namespace quill::host
