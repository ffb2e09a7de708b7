// The token's side of the frame exchange: decrypt and check a request, build
// and encrypt an answer. Both directions use DES-CBC with a zero IV and the
// frame key.
#pragma once

#include <random>

#include "crypto/des.h"
#include "firmware.h"
#include "frame.h"

namespace quill {

// Decrypts the 248 wire bytes into plain and parses them; request points
// into plain.
RequestCheck OpenRequest(const DesKey& key, const uint8_t* wire, Frame* plain,
                         RequestView* request);

// The answer to a request that failed its checks: status 0xAA, no data,
// status word 0x6700.
TokenResponse DamagedRequestResponse();

// Fills the whole frame with fresh filler, then writes the answer into it.
// Data beyond kMaxAnswerData is cut off.
void BuildAnswer(const TokenResponse& response, std::mt19937& filler, Frame* plain);

// Encrypts the frame in place for the wire.
void EncryptFrame(const DesKey& key, Frame* frame);

}  // namespace quill
