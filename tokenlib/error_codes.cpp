#include "error_codes.h"

namespace quill {
namespace {

struct CodeMeaning {
  int code;
  const char* meaning;
};

constexpr CodeMeaning kMeanings[] = {
    {0, "success"},
    {1, "argument out of range"},
    {16, "hid.dll could not be loaded"},
    {17, "SetupApi.dll could not be loaded"},
    {18, "a required hid.dll function is missing"},
    {19, "a required SetupApi.dll function is missing"},
    {20, "HID input report could not be read"},
    {21, "HID input report has the wrong length"},
    {22, "HID output report could not be written"},
    {23, "HID output report was not written completely"},
    {24, "HID transfer: sending the request failed"},
    {25, "HID transfer: receiving the answer failed"},
    {26, "I/O wait timed out"},
    {27, "I/O wait failed"},
    {32, "CD-ROM interface could not be enumerated"},
    {33, "CD-ROM interface detail could not be read"},
    {34, "list of CD-ROM devices could not be obtained"},
    {35, "SCSI pass-through request failed"},
    {36, "SCSI status reported an error"},
    {37, "SCSI pass-through transferred nothing"},
    {38, "CD-ROM-class token could not be opened"},
    {39, "HID input queue could not be flushed"},
    {48, "command could not be prepared"},
    {49, "request frame could not be built"},
    {50, "frame transfer failed"},
    {51, "answer frame damaged (checksum or length)"},
    {52, "answer frame has the wrong marker"},
    {53, "token reported a failure"},
    {54, "answer shorter than expected"},
    {80, "handle not in the device table"},
    {81, "token not in state Present"},
    {82, "device not ready for a transfer"},
    {83, "transport failure"},
    {84, "no token found"},
    {85, "identity record command failed"},
    {86, "version text command failed"},
    {87, "read command failed"},
    {88, "write command failed"},
    {89, "usage tag command failed"},
    {91, "UID command failed"},
    {92, "reset challenge command failed"},
    {93, "reset password command failed"},
    {94, "key information write failed"},
    {95, "key information read failed"},
    {96, "SHA-1 with seed failed"},
    {100, "access key rejected"},
    {101, "encryption block failed"},
    {102, "decryption block failed"},
    {104, "password verification failed"},
    {105, "password change failed"},
    {107, "logout failed"},
    {108, "padding of decrypted data invalid"},
    {114, "seed export failed"},
    {117, "remote change response invalid (size, encoding or checksum)"},
    {118, "remote change request could not be encoded"},
    {119, "remote change response has the wrong marker"},
    {256, "answer status 0xE1"},
    {257, "answer status 0xE2"},
    {258, "answer status 0xE3"},
    {512, "token status word 0x6E00 (class not supported)"},
    {513, "token status word 0x6D00 (instruction not supported)"},
    {514, "token status word 0x6A86 (wrong parameters P1 P2)"},
    {515, "token status word 0x6700 (wrong length)"},
    {516, "token status word 0x6701"},
    {517, "token status word 0x6B00 (wrong parameters)"},
    {518, "token status word 0x65A0"},
    {519, "token status word 0x6581 (memory failure)"},
    {520, "token status word 0x6582"},
    {521, "token status word 0x6583"},
    {522, "token status word 0x6982 (security status not satisfied)"},
    {523, "token status word 0x6C00 (wrong expected length)"},
    {524, "token status word 0x6585"},
    {525, "token status word 0x6984 (reference data not usable)"},
    {526, "token status word 0x6687"},
    {527, "token status word 0x7001"},
    {528, "token status word 0x7002"},
    {529, "token status word 0x7701"},
    {530, "token status word 0x7702"},
    {531, "token status word 0x7703"},
    {532, "token status word not recognised"},
};

}  // namespace

const char* TokenErrorMeaning(int code) {
  for (const CodeMeaning& entry : kMeanings) {
    if (entry.code == code) return entry.meaning;
  }
  return nullptr;
}

}  // namespace quill
