// The remote-desktop client's static channel API (mingw-w64's cchannel.h).
// That header spells the calling convention "_stdcall", which the compiler
// only predefines outside strict standard mode.
#pragma once

#include <windows.h>

#ifndef _stdcall
#define _stdcall __stdcall
#endif
#include <cchannel.h>
