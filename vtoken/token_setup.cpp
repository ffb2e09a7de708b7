#include "token_setup.h"

#include <cstdio>

#include "frame.h"
#include "models.h"

namespace quill {

size_t WireMessageSize(TokenKind kind) {
  return kind == TokenKind::kHid ? kHidReportSize : kFrameSize;
}

TokenUidValue DefaultUid(int id) {
  TokenUidValue uid;
  for (size_t k = 0; k < uid.size(); ++k) {
    uid[k] = static_cast<uint8_t>((k * 7 + static_cast<size_t>(id) * 13 + 1) & 0xFF);
  }
  return uid;
}

std::string DefaultCdromPath(TokenModel model, uint16_t port) {
  return std::string("\\\\?\\usbstor#cdrom&ven_quill&prod_virtual#") +
         ModelInfo(model).storageMarker + "&" + std::to_string(port) +
         "&0#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";
}

bool IsValidCdromPath(const std::string& path) {
  if (path.empty() || path.size() > kMaxCdromPath) return false;
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return false;
  }
  return true;
}

std::string HelloLine(TokenKind kind, TokenModel model, const std::string& path) {
  if (kind == TokenKind::kCdrom) return "QVT1 cdrom " + path + "\n";
  const TokenModelInfo& info = ModelInfo(model);
  char line[32];
  std::snprintf(line, sizeof(line), "QVT1 hid %04x %04x\n", info.hidVendorId, info.hidProductId);
  return line;
}

const char* KindName(TokenKind kind) {
  return kind == TokenKind::kHid ? "hid" : "cdrom";
}

const char* ModelName(TokenModel model) {
  return model == TokenModel::kB ? "B" : "A";
}

bool ParseKindName(const std::string& text, TokenKind* kind) {
  if (text == "hid") {
    *kind = TokenKind::kHid;
  } else if (text == "cdrom") {
    *kind = TokenKind::kCdrom;
  } else {
    return false;
  }
  return true;
}

bool ParseModelName(const std::string& text, TokenModel* model) {
  if (text == "A" || text == "a") {
    *model = TokenModel::kA;
  } else if (text == "B" || text == "b") {
    *model = TokenModel::kB;
  } else {
    return false;
  }
  return true;
}

}  // namespace quill
