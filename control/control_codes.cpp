#include "control_codes.h"

namespace quill {
namespace {

struct ControlErrorText {
  int code;
  const char* name;
  const char* meaning;
};

constexpr ControlErrorText kControlErrors[] = {
    {CTL_NO_TOKEN, "CTL_NO_TOKEN", "no token attached, or a listed token did not answer"},
    {CTL_PIN_TOO_LONG, "CTL_PIN_TOO_LONG", "password longer than 32 bytes"},
    {CTL_SEED_INPUT_TOO_LONG, "CTL_SEED_INPUT_TOO_LONG", "digest input longer than 32 characters"},
    {CTL_PASSWORD_TOO_LONG, "CTL_PASSWORD_TOO_LONG",
     "old or new password longer than 32 characters"},
    {CTL_RESPONSE_TOO_LONG, "CTL_RESPONSE_TOO_LONG", "reset response longer than 255 characters"},
    {CTL_BAD_CIPHERTEXT, "CTL_BAD_CIPHERTEXT",
     "invalid Base64 text, or decoded length not a multiple of 8"},
    {CTL_BAD_RESPONSE_FORMAT, "CTL_BAD_RESPONSE_FORMAT",
     "reset response has fewer than four fields"},
    {CTL_RESET_PIN_TOO_LONG, "CTL_RESET_PIN_TOO_LONG",
     "new password in the reset response longer than 32 bytes"},
    {CTL_UID_MISMATCH, "CTL_UID_MISMATCH", "reset response made for another token"},
    {CTL_WRITE_TOO_LONG, "CTL_WRITE_TOO_LONG", "data beyond the storage limits"},
    {CTL_READ_TOO_LONG, "CTL_READ_TOO_LONG", "range beyond the storage limits"},
    {CTL_RANDOM_TOO_LONG, "CTL_RANDOM_TOO_LONG", "random text longer than 32 bytes"},
    {CTL_NAME_TOO_LONG, "CTL_NAME_TOO_LONG", "name longer than 32 bytes"},
    {CTL_DESCRIPTION_TOO_LONG, "CTL_DESCRIPTION_TOO_LONG", "description longer than 64 bytes"},
    {CTL_URL_TOO_LONG, "CTL_URL_TOO_LONG", "URL longer than 64 bytes"},
    {CTL_OTHER_TOO_LONG, "CTL_OTHER_TOO_LONG", "other text longer than 64 bytes"},
    {CTL_WRONG_MODEL, "CTL_WRONG_MODEL", "member not available for the current model"},
    {CTL_NO_MACHINE_CODE, "CTL_NO_MACHINE_CODE", "the machine code could not be computed"},
    {CTL_NAME_UNREADABLE, "CTL_NAME_UNREADABLE", "the key information could not be read (name)"},
    {CTL_DESCRIPTION_UNREADABLE, "CTL_DESCRIPTION_UNREADABLE",
     "the key information could not be read (description)"},
    {CTL_URL_UNREADABLE, "CTL_URL_UNREADABLE", "the key information could not be read (URL)"},
    {CTL_OTHER_UNREADABLE, "CTL_OTHER_UNREADABLE",
     "the key information could not be read (other text)"},
    {CTL_DIALOG_WRONG_PIN, "CTL_DIALOG_WRONG_PIN", "a login attempt in the dialog failed"},
    {CTL_ENCODE_FAILED, "CTL_ENCODE_FAILED", "Base64 encoding failed"},
    {CTL_WRITE_DECRYPT_FAILED, "CTL_WRITE_DECRYPT_FAILED",
     "the token could not decrypt the data to write"},
    {CTL_READ_ENCRYPT_FAILED, "CTL_READ_ENCRYPT_FAILED",
     "the token could not encrypt the data read"},
    {CTL_NOT_SUPPORTED, "CTL_NOT_SUPPORTED", "file members are not supported"},
    {CTL_INDEX_OUT_OF_RANGE, "CTL_INDEX_OUT_OF_RANGE", "index above the device count"},
    {CTL_BAD_ID, "CTL_BAD_ID", "id not exactly 32 characters"},
    {CTL_UID_UNREADABLE, "CTL_UID_UNREADABLE", "a UID could not be read"},
};

const ControlErrorText* Find(int code) {
  for (const ControlErrorText& entry : kControlErrors) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

}  // namespace

const char* ControlErrorName(int code) {
  const ControlErrorText* entry = Find(code);
  return entry ? entry->name : nullptr;
}

const char* ControlErrorMeaning(int code) {
  const ControlErrorText* entry = Find(code);
  return entry ? entry->meaning : nullptr;
}

}  // namespace quill
