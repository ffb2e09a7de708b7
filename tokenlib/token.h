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

// Identity and key information.
int TokenGetUID(TokenHandle handle, char uid[kUidTextSize]);
// The UID text of a 32-byte UID answer: MD5 of it in lowercase hexadecimal.
void FormatUid(const uint8_t answer[32], char uid[kUidTextSize]);

constexpr size_t kNameSize = 32;
constexpr size_t kDescriptionSize = 64;
constexpr size_t kUrlSize = 64;
constexpr size_t kOtherSize = 64;
constexpr size_t kModelSize = 8;
constexpr size_t kKeyInfoSize = 232;

// Reads the key information record: texts with terminators (33, 65, 65, 65
// bytes) and the 8 model bytes.
int TokenGetKeyInfo(TokenHandle handle, char name[kNameSize + 1],
                    char description[kDescriptionSize + 1], char url[kUrlSize + 1],
                    char other[kOtherSize + 1], uint8_t model[kModelSize]);
// Writes it: each text up to its terminator or its field size, zero-padded.
int TokenSetKeyInfo(TokenHandle handle, const char* name, const char* description, const char* url,
                    const char* other, const uint8_t model[kModelSize]);
// The identity record (text, five byte values, a 16-bit value) and the 8-byte version text.
int TokenGetVersionInfo(TokenHandle handle, char identity[9], uint8_t version[8], int values[5],
                        int* value16);
int TokenGetRequestEnabled(TokenHandle handle, int* enabled);
int TokenGetUsageTag(TokenHandle handle, char tag[33]);

// Password. Passwords are texts of at most 64 bytes.
constexpr size_t kMaxPasswordLength = 64;
constexpr size_t kPasswordDigestSize = 32;
// MD5 over the password in a zeroed 64-byte buffer, then 16 zero bytes;
// false when the password is longer than 64 bytes.
bool PasswordDigest(const char* password, uint8_t digest[kPasswordDigestSize]);
int TokenLogin(TokenHandle handle, const char* password);
int TokenChangePassword(TokenHandle handle, const char* oldPassword, const char* newPassword);
int TokenLogout(TokenHandle handle);
int TokenResetChallenge(TokenHandle handle, const uint8_t challenge[8], uint8_t answer[8]);
int TokenResetPassword(TokenHandle handle, const uint8_t challenge[8], const uint8_t response[8],
                       const char* newPassword);

// Seed.
int TokenSha1WithSeed(TokenHandle handle, uint8_t selector, const uint8_t* data, size_t length,
                      uint8_t digest[20]);
int TokenExportSeed(TokenHandle handle, int unused, uint8_t seed[32]);

// Remote change: the request text (160 Base64 characters) for a server, and
// the server's response applied to the token. Both take the same 32-byte
// client random. capacity is the size of out, which must hold the text and
// its terminator (161 bytes); a smaller one is refused (code 1, result 7).
constexpr size_t kRemoteRequestTextLength = 160;
int TokenRemoteChangeRequest(TokenHandle handle, const uint8_t clientRandom[32],
                             const uint8_t clientText[64], char* out, size_t capacity);
int TokenRemoteChange(TokenHandle handle, const uint8_t clientRandom[32], const char* response);

// Storage areas.
constexpr int kUserStorageSize = 2048;
constexpr int kSecureStorageSize = 2056;
constexpr int kMemorySize = 192;
int TokenReadStorage(TokenHandle handle, int offset, int length, uint8_t* out);
int TokenWriteStorage(TokenHandle handle, int offset, int length, const uint8_t* data);
// length: in, the bytes wanted; out, the bytes received.
int TokenSecureReadStorage(TokenHandle handle, const uint8_t accessKey[8], int offset, int* length,
                           uint8_t* out);
int TokenSecureWriteStorage(TokenHandle handle, const uint8_t accessKey[8], int offset, int length,
                            const uint8_t* data);
int TokenReadMemory(TokenHandle handle, int offset, int length, uint8_t* out);
int TokenWriteMemory(TokenHandle handle, int offset, int length, const uint8_t* data);
int TokenVerifyAccessKey(TokenHandle handle, const uint8_t accessKey[8]);

// Data cipher inside the token. capacity: in, the output space; out, the
// bytes written (or, with a null output, the bytes needed).
int TokenEncryptData(TokenHandle handle, uint8_t selector, const uint8_t accessKey[8],
                     const uint8_t* input, size_t length, size_t* capacity, uint8_t* out);
int TokenDecryptData(TokenHandle handle, uint8_t selector, const uint8_t accessKey[8],
                     const uint8_t* input, size_t length, size_t* capacity, uint8_t* out);

// The library's own access key (from the configuration).
const uint8_t* TokenAccessKey();

}  // namespace quill
