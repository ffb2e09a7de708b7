// A small check list for the client programs run under Wine: each failed
// check is printed, and the program's exit status is the number of them.
#pragma once

#include <windows.h>

#include <string>

namespace quill {
namespace comtest {

void Section(const char* name);
// Records a failure (and prints what) unless condition holds.
bool Check(bool condition, const std::string& what);
// "what: hr 0x80004005" for a failed HRESULT.
bool CheckHr(HRESULT result, HRESULT expected, const std::string& what);
int Failures();

std::string Narrow(const wchar_t* text);
std::string Narrow(const std::wstring& text);

}  // namespace comtest
}  // namespace quill
