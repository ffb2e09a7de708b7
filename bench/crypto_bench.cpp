// Throughput of the in-house DES-CBC and MD5 next to OpenSSL's, in one run.
// Sizes: one 248-byte token frame and a 64 KiB buffer.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "crypto/des.h"
#include "crypto/md5.h"

namespace {

constexpr uint8_t kKey[8] = {0x3b, 0x1f, 0x82, 0x6e, 0xd4, 0x07, 0xa9, 0x55};
constexpr uint8_t kIv[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe};

struct OpenSslDeleter {
  void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
  void operator()(EVP_MD* md) const { EVP_MD_free(md); }
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
template <typename T>
using OpenSslPtr = std::unique_ptr<T, OpenSslDeleter>;

std::vector<uint8_t> Payload(int64_t length) {
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131 + 7);
  return bytes;
}

// OpenSSL 3 keeps single DES in the legacy provider; loading it explicitly
// drops the implicit default provider, so load that one as well.
bool LoadOpenSslProviders() {
  static const bool loaded = OSSL_PROVIDER_load(nullptr, "legacy") != nullptr &&
                             OSSL_PROVIDER_load(nullptr, "default") != nullptr;
  return loaded;
}

void ReportBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// --- DES-CBC, key schedule prepared once -------------------------------------------

template <bool kEncrypt>
void QuillDesCbc(benchmark::State& state) {
  const quill::DesKey key(kKey);
  std::vector<uint8_t> buffer = Payload(state.range(0));
  for (auto _ : state) {
    if (kEncrypt) {
      quill::DesCbcEncrypt(key, kIv, buffer.data(), buffer.size());
    } else {
      quill::DesCbcDecrypt(key, kIv, buffer.data(), buffer.size());
    }
    benchmark::ClobberMemory();
  }
  ReportBytes(state);
}

template <bool kEncrypt>
void OpenSslDesCbc(benchmark::State& state) {
  if (!LoadOpenSslProviders()) return state.SkipWithError("OpenSSL legacy provider unavailable");
  const OpenSslPtr<EVP_CIPHER> cipher(EVP_CIPHER_fetch(nullptr, "DES-CBC", nullptr));
  const OpenSslPtr<EVP_CIPHER_CTX> context(EVP_CIPHER_CTX_new());
  if (!cipher || !context ||
      !EVP_CipherInit_ex2(context.get(), cipher.get(), kKey, kIv, kEncrypt ? 1 : 0, nullptr)) {
    return state.SkipWithError("DES-CBC unavailable");
  }
  EVP_CIPHER_CTX_set_padding(context.get(), 0);
  std::vector<uint8_t> buffer = Payload(state.range(0));
  const int length = static_cast<int>(buffer.size());
  for (auto _ : state) {
    // Restart the chain from the IV, as each of our calls does.
    int written = 0;
    if (!EVP_CipherInit_ex2(context.get(), nullptr, nullptr, kIv, -1, nullptr) ||
        !EVP_CipherUpdate(context.get(), buffer.data(), &written, buffer.data(), length)) {
      return state.SkipWithError("EVP_CipherUpdate failed");
    }
    benchmark::ClobberMemory();
  }
  ReportBytes(state);
}

void BM_DesCbcEncrypt_Quill(benchmark::State& state) {
  QuillDesCbc<true>(state);
}
void BM_DesCbcEncrypt_OpenSsl(benchmark::State& state) {
  OpenSslDesCbc<true>(state);
}
void BM_DesCbcDecrypt_Quill(benchmark::State& state) {
  QuillDesCbc<false>(state);
}
void BM_DesCbcDecrypt_OpenSsl(benchmark::State& state) {
  OpenSslDesCbc<false>(state);
}

// --- DES-CBC of one frame including the key schedule (the exchange path) ------------

void BM_DesCbcFrameWithKeySetup_Quill(benchmark::State& state) {
  std::vector<uint8_t> buffer = Payload(state.range(0));
  for (auto _ : state) {
    quill::DesCbcEncrypt(kKey, kIv, buffer.data(), buffer.size());
    benchmark::ClobberMemory();
  }
  ReportBytes(state);
}

void BM_DesCbcFrameWithKeySetup_OpenSsl(benchmark::State& state) {
  if (!LoadOpenSslProviders()) return state.SkipWithError("OpenSSL legacy provider unavailable");
  const OpenSslPtr<EVP_CIPHER> cipher(EVP_CIPHER_fetch(nullptr, "DES-CBC", nullptr));
  const OpenSslPtr<EVP_CIPHER_CTX> context(EVP_CIPHER_CTX_new());
  if (!cipher || !context) return state.SkipWithError("DES-CBC unavailable");
  std::vector<uint8_t> buffer = Payload(state.range(0));
  const int length = static_cast<int>(buffer.size());
  for (auto _ : state) {
    int written = 0;
    if (!EVP_EncryptInit_ex2(context.get(), cipher.get(), kKey, kIv, nullptr) ||
        !EVP_CIPHER_CTX_set_padding(context.get(), 0) ||
        !EVP_EncryptUpdate(context.get(), buffer.data(), &written, buffer.data(), length)) {
      return state.SkipWithError("EVP_EncryptUpdate failed");
    }
    benchmark::ClobberMemory();
  }
  ReportBytes(state);
}

// --- MD5 ---------------------------------------------------------------------------

void BM_Md5_Quill(benchmark::State& state) {
  const std::vector<uint8_t> message = Payload(state.range(0));
  uint8_t digest[quill::kMd5DigestSize];
  for (auto _ : state) {
    quill::Md5Digest(message.data(), message.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  ReportBytes(state);
}

void BM_Md5_OpenSsl(benchmark::State& state) {
  const OpenSslPtr<EVP_MD> md(EVP_MD_fetch(nullptr, "MD5", nullptr));
  const OpenSslPtr<EVP_MD_CTX> context(EVP_MD_CTX_new());
  if (!md || !context) return state.SkipWithError("MD5 unavailable");
  const std::vector<uint8_t> message = Payload(state.range(0));
  unsigned char digest[EVP_MAX_MD_SIZE];
  for (auto _ : state) {
    unsigned int digestLength = 0;
    if (!EVP_DigestInit_ex2(context.get(), md.get(), nullptr) ||
        !EVP_DigestUpdate(context.get(), message.data(), message.size()) ||
        !EVP_DigestFinal_ex(context.get(), digest, &digestLength)) {
      return state.SkipWithError("MD5 digest failed");
    }
    benchmark::DoNotOptimize(digest);
  }
  ReportBytes(state);
}

constexpr int64_t kFrameBytes = 248;
constexpr int64_t kLargeBytes = 64 * 1024;

BENCHMARK(BM_DesCbcEncrypt_Quill)->Arg(kFrameBytes)->Arg(kLargeBytes);
BENCHMARK(BM_DesCbcEncrypt_OpenSsl)->Arg(kFrameBytes)->Arg(kLargeBytes);
BENCHMARK(BM_DesCbcDecrypt_Quill)->Arg(kFrameBytes)->Arg(kLargeBytes);
BENCHMARK(BM_DesCbcDecrypt_OpenSsl)->Arg(kFrameBytes)->Arg(kLargeBytes);
BENCHMARK(BM_DesCbcFrameWithKeySetup_Quill)->Arg(kFrameBytes);
BENCHMARK(BM_DesCbcFrameWithKeySetup_OpenSsl)->Arg(kFrameBytes);
BENCHMARK(BM_Md5_Quill)->Arg(kFrameBytes)->Arg(kLargeBytes);
BENCHMARK(BM_Md5_OpenSsl)->Arg(kFrameBytes)->Arg(kLargeBytes);

}  // namespace
