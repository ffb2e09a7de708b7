// The relay's message codec: requests out, replies in, over the "_QLCHN"
// channel. Plain text logic; every output goes into a fixed slot and nothing
// is ever written past one.
//
// Request: "START;SERVER;<command>;<argument>;END;" (no terminating zero is
// sent). Reply: "START;CLIENT;<status>;<data>;END" with or without a final
// ";", split the way the C library's string tokenizer splits: runs of ";"
// count as one, so an empty field vanishes.
//
// Where a reply does not fit, the codec refuses rather than truncates: a
// field longer than its slot (15 characters, 1023 for the data field) makes
// the reply malformed, because a cut-off field could still pass the checks.
// Fields past the eighth are not recorded; as with the sixth to the eighth,
// only the first five matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quill {

// Sizes of the relay's buffers, with room for a terminating zero.
constexpr size_t kRelayCommandSlot = 16;    // command word: at most 15 characters
constexpr size_t kRelayArgumentSlot = 128;  // argument: at most 127 bytes
constexpr size_t kRelayRequestBuffer = 1024;
constexpr size_t kRelayReplyRead = 1024;  // bytes taken by one read
constexpr size_t kRelayFieldSlot = 16;    // reply fields 1, 2, 3 and 5
constexpr size_t kRelayDataSlot = 1024;   // reply field 4
constexpr size_t kRelayCloseReply = 32;   // the longest reply CLOSE accepts
constexpr size_t kRelayMaxFields = 8;     // field positions the split records

// The relay's request results.
enum RelayResult : int {
  kRelayOk = 0,
  kRelayNotConnected = 1,   // nothing was sent
  kRelaySendFailed = 2,     // the request was not written (or could not be built)
  kRelayReceiveFailed = 3,  // no channel, a read error, or no reply in time
  kRelayMalformed = 5,      // not five fields, a wrong frame or sender word, a field too long
  kRelayStatusNotOk = 6,    // the status does not begin with "OK"
  kRelayBadData = 7,        // GetData: the data field is not valid Base64
};

// Builds the request into out (zero-filled first) and stores its length
// (without the zero) in *length. Refuses (false, out left empty) a command
// over 15 characters, an argument over 127 bytes, and a command or argument
// holding ";" or a zero byte, which would shift the fields the client reads.
bool BuildRequest(const std::string& command, const std::string& argument,
                  char (&out)[kRelayRequestBuffer], size_t* length);

struct ReplyFields {
  char frameStart[kRelayFieldSlot];
  char sender[kRelayFieldSlot];
  char status[kRelayFieldSlot];
  char data[kRelayDataSlot];
  char frameEnd[kRelayFieldSlot];
};

enum SplitResult : int {
  kSplitOk = 0,
  kSplitTooFewFields = 1,
  kSplitFieldTooLong = 2,
};

// Splits the reply (the first `length` bytes, or up to a zero byte before
// them) and copies fields 1 to 5 into their zero-filled slots.
int SplitReply(const char* reply, size_t length, ReplyFields* fields);

// 0 when the reply is well formed (five fields, the first beginning with
// "START", the fifth with "END", the second with "CLIENT", each field fitting
// its slot): the status and data are copied out. Non-zero otherwise.
int ParseReply(const char* reply, size_t length, char (&status)[kRelayFieldSlot],
               char (&data)[kRelayDataSlot]);

// 0 when the status begins with "OK", 1 otherwise.
int CheckStatus(const char* status);

// Base64 of the data field: CR LF and lone LF skipped; any other character
// outside the alphabet, a third "=", or an alphabet character after "=" make
// it invalid; an incomplete last group gives no bytes. 0 with the bytes, or 1
// (bytes cleared).
int DecodeData(const char* data, std::vector<uint8_t>* bytes);

}  // namespace quill
