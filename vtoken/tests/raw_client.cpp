#include "raw_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <vector>

#include "crypto/des.h"
#include "socket_io.h"

namespace quill {

const FrameKey kTestFrameKey = {0x04, 0xC7, 0x1E, 0x1D, 0x48, 0xCE, 0x00, 0x7E};

namespace {
const uint8_t kZeroIv[8] = {};
}

Frame EncryptedRequest(const FrameKey& key, const TokenApdu& apdu) {
  static std::mt19937 random(12345);
  Frame frame;
  for (uint8_t& b : frame) b = static_cast<uint8_t>(random());
  BuildRequestFrame(apdu, &frame);
  DesCbcEncrypt(key.data(), kZeroIv, frame.data(), kFrameSize);
  return frame;
}

TokenApdu UidCommand() {
  TokenApdu apdu;
  apdu.ins = 0x3F;
  apdu.le = 0x20;
  return apdu;
}

Frame DecryptedAnswer(const FrameKey& key, const Frame& wire) {
  Frame frame = wire;
  DesCbcDecrypt(key.data(), kZeroIv, frame.data(), kFrameSize);
  return frame;
}

RawClient::RawClient(TokenKind kind, uint16_t port, const FrameKey& key)
    : kind_(kind), key_(key), fd_(ConnectLoopback(port)) {}

RawClient::~RawClient() {
  if (fd_ >= 0) close(fd_);
}

std::string RawClient::ReadHello() {
  std::string line;
  uint8_t c = 0;
  while (line.size() < kMaxHelloLine && ReadBytes(&c, 1, 5000) == ReadResult::kOk) {
    line += static_cast<char>(c);
    if (c == '\n') break;
  }
  return line;
}

bool RawClient::SendRequest(const Frame& wire) {
  std::vector<uint8_t> message(WireMessageSize(kind_), 0);
  std::copy(wire.begin(), wire.end(), message.end() - kFrameSize);
  return WriteAll(fd_, message.data(), message.size());
}

ReadResult RawClient::ReadAnswer(Frame* wire, int timeoutMs) {
  std::vector<uint8_t> message(WireMessageSize(kind_));
  const ReadResult result = ReadBytes(message.data(), message.size(), timeoutMs);
  if (result != ReadResult::kOk) return result;
  if (kind_ == TokenKind::kHid && message[0] != 0) return ReadResult::kClosed;
  std::copy(message.end() - kFrameSize, message.end(), wire->begin());
  return ReadResult::kOk;
}

bool RawClient::Exchange(const TokenApdu& apdu, Frame* answer) {
  Frame wire;
  if (!SendRequest(EncryptedRequest(key_, apdu))) return false;
  if (ReadAnswer(&wire) != ReadResult::kOk) return false;
  *answer = DecryptedAnswer(key_, wire);
  return true;
}

bool RawClient::ClosedByPeer(int timeoutMs) {
  uint8_t byte;
  return ReadBytes(&byte, 1, timeoutMs) == ReadResult::kClosed;
}

ReadResult RawClient::ReadBytes(uint8_t* buffer, size_t length, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  size_t done = 0;
  while (done < length) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ReadResult::kTimeout;
    pollfd waiting = {fd_, POLLIN, 0};
    if (poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return ReadResult::kTimeout;
    const ssize_t n = recv(fd_, buffer + done, length - done, 0);
    if (n <= 0) return ReadResult::kClosed;
    done += static_cast<size_t>(n);
  }
  return ReadResult::kOk;
}

}  // namespace quill
