// Steps shared by the members: the presence check, the selected token, text
// conversion, the hexadecimal codec, and the operations several members run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hex.h"
#include "script_value.h"
#include "session.h"
#include "token.h"

namespace quill {

// The presence check: the number of tokens (1 to 8), -1 when none of the
// current model is attached, -2 when a listed token did not answer.
int RefreshDeviceList();
// The presence check as members run it: false, with CTL_NO_TOKEN recorded,
// when it finds no answering token.
bool TokenPresent();
// True, with CTL_WRONG_MODEL recorded, when the session's model is model
// (the member is not available for it).
bool ModelRefused(int32_t model);
// Drops the cached device list so that the next check searches again.
void DropDeviceList();
// The handle at the selected position, or -1.
TokenHandle SelectedHandle();

// Script text to 8-bit text (up to the first NUL; null is empty), and back.
std::string Narrow(const ScriptText& text);
ScriptText Wide(const std::string& text);
// The empty result is delivered as a null text.
ScriptText TextResult(const std::string& text);
// Length in UTF-16 code units: the whole BSTR length, NULs inside included
// (null: 0). Length limits in characters count this, not the text read.
size_t CharacterCount(const ScriptText& text);

// HexEncode and HexDecode come from the library's hex.h.

// The access key and the key selector of the data cipher (1 when model is 1).
const uint8_t* ControlAccessKey();
uint8_t KeySelector();

// The token variant from the version text; keeps the last value on failure.
void DetectVariant();
// 0 success, 1 no token, 2 too long, otherwise TokenLogin's result.
int VerifyPassword(const std::string& password);
// 0 success (the cache is filled), 1 no token, 2 read failure.
int LoadKeyInfo();
// 0 and the 24-character machine code; 1 when no token answers, 2 when the
// adapter list could not be allocated.
int ComputeMachineCode(std::string* code);

}  // namespace quill
