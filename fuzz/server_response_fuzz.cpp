// The texts a server sends back, as the control's members take them: the
// password-reset response (Base64 of the token's data cipher over
// "UID;challenge;answer;password") and the remote-change response (Base64 of
// a Triple-DES record with a checksum). Each comes as raw text, and sealed
// the way a server that shares the keys would, so that the fields behind the
// cipher and the checksum are reached. One virtual token in this process
// answers over loopback.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base64.h"
#include "commands/remote_key.h"
#include "crypto/crc16b.h"
#include "crypto/des.h"
#include "library_state.h"
#include "loopback_platform.h"
#include "members/members.h"
#include "ports/fake/fake_control_ports.h"
#include "session.h"
#include "text/utf8.h"
#include "vtoken/server.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char kRandom[] = "fuzzing client random";

struct World {
  quill::VirtualTokenServer server;
  quill::fake::FakeControlPlatform ports;
  std::unique_ptr<quill::LoopbackPlatform> library;
  std::string lockPath;
  std::string uid;
  int id = -1;
};

World* TheWorld() {
  static World* world = [] {
    auto* w = new World;
    quill::TokenSpec spec;
    w->id = w->server.AddToken(spec);
    if (w->id < 0 || !w->server.Start()) std::abort();
    char pattern[] = "/tmp/quill-fuzz-lock-XXXXXX";
    close(mkstemp(pattern));
    w->lockPath = pattern;
    w->library = std::make_unique<quill::LoopbackPlatform>(
        std::vector<std::string>{w->server.Endpoint(w->id)}, w->lockPath);
    quill::ResetControl(w->ports.platform);
    char uid[quill::kUidTextSize];
    quill::FormatUid(w->server.Spec(w->id).uid.value().data(), uid);
    w->uid = uid;
    return w;
  }();
  return world;
}

quill::ScriptText Text(const std::string& utf8) {
  return quill::ScriptText::Of(quill::Utf8ToUtf16(utf8));
}

// The token's data cipher under selector 0: single DES per block, padded
// with the padding length.
std::string ResetResponse(World& world, const Bytes& plain) {
  const quill::DesBlock key = world.server.Stored(world.id).cipherKeys[0];
  const size_t padded = (plain.size() / 8 + 1) * 8;
  Bytes out = plain;
  out.resize(padded, static_cast<uint8_t>(padded - plain.size()));
  const quill::DesKey des(key.data());
  for (size_t i = 0; i < out.size(); i += 8) des.EncryptBlock(out.data() + i);
  return quill::Base64Encode(out.data(), out.size());
}

// A remote-change record of at least the response size, marked for this
// token when asked, with its checksum, under the key of kRandom.
std::string RemoteResponse(World& world, Bytes record, bool mark) {
  if (record.size() < quill::kRemoteResponseSize) record.resize(quill::kRemoteResponseSize);
  record.resize((record.size() + 7) / 8 * 8);
  if (mark) {
    std::memcpy(record.data(), "SERM", 4);
    std::memcpy(record.data() + 4, world.uid.data(), 32);
  }
  const size_t body = record.size() - 2;
  const uint16_t crc = quill::Crc16B(record.data(), body);
  record[body] = static_cast<uint8_t>(crc & 0xFF);
  record[body + 1] = static_cast<uint8_t>(crc >> 8);
  uint8_t random[32] = {};
  std::memcpy(random, kRandom, sizeof(kRandom) - 1);
  uint8_t key[24];
  uint8_t iv[8];
  quill::DeriveRemoteKey(world.uid.c_str(), random, quill::Library().config->remoteSecret.data(),
                         key, iv);
  quill::TripleDesCbcEncrypt(key, iv, record.data(), record.size());
  return quill::Base64Encode(record.data(), record.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  World& world = *TheWorld();
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const Bytes bytes(data + 1, data + size);
  switch (data[0] % 5) {
    case 0:
      quill::QuillResetPassword(Text(rest));
      break;
    case 1:
      quill::QuillResetPassword(Text(ResetResponse(world, bytes)));
      break;
    case 2: {
      // The UID field right, the rest from the input.
      Bytes plain(world.uid.begin(), world.uid.end());
      plain.push_back(';');
      plain.insert(plain.end(), bytes.begin(), bytes.end());
      quill::QuillResetPassword(Text(ResetResponse(world, plain)));
      break;
    }
    case 3:
      quill::QuillRemoteChange(Text(rest), Text(kRandom));
      break;
    case 4:
      quill::QuillRemoteChange(Text(RemoteResponse(world, bytes, size > 1 && data[1] & 1)),
                               Text(kRandom));
      break;
  }
  return 0;
}
