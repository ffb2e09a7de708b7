// Public interface of the token access library.
//
// Every operation returns a small integer: 0 for success, otherwise the
// number of the step that failed. The reason of a failure is kept in the
// process-wide error store: TokenGetLastError returns its oldest code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill {

// Names one discovered token until the next TokenFind; 0 and -1 are never valid.
using TokenHandle = int32_t;

constexpr int kMaxTokens = 32;
constexpr size_t kUidTextSize = 33;  // 32 lowercase hexadecimal characters + terminator

enum class TokenModel { kA = 0, kB = 1 };

// Error store.
int TokenGetLastError();
int TokenSetLastError(int code);

// Random source: a multiply-with-carry generator reseeded from the clock at every draw.
uint32_t TokenRandom();
void TokenRandomFill(uint8_t* buffer, size_t length);

// Discovery: fills up to 32 handles of tokens of the model that answer; 0 when
// at least one answered, 1 when none.
int TokenFind(TokenModel model, TokenHandle handles[kMaxTokens], int* count);
int TokenFindModelA(TokenHandle handles[kMaxTokens], int* count);
int TokenFindModelB(TokenHandle handles[kMaxTokens], int* count);

// Identity.
int TokenGetUID(TokenHandle handle, char uid[kUidTextSize]);
// The UID text of a 32-byte UID answer: MD5 of it in lowercase hexadecimal.
void FormatUid(const uint8_t answer[32], char uid[kUidTextSize]);

}  // namespace quill
