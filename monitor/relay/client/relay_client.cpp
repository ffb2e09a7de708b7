#include "relay_client.h"

#include "base64.h"

namespace quill {
namespace {

constexpr char kSeparator = ';';
constexpr int kRequestFields = 5;
constexpr size_t kCommandKept = 15;
constexpr char kNoData[] = "NULL";

std::string Reply(bool ok, const std::string& data) {
  return std::string("START;CLIENT;") + (ok ? "OK" : "ERROR") + ";" +
         (data.empty() ? std::string(kNoData) : data) + ";END;";
}

// The five fields of a complete request (its text ends with the fifth ";").
std::vector<std::string> Fields(const std::string& request) {
  std::vector<std::string> fields;
  size_t begin = 0;
  for (size_t i = 0; i < request.size(); ++i) {
    if (request[i] != kSeparator) continue;
    fields.push_back(request.substr(begin, i - begin));
    begin = i + 1;
  }
  return fields;
}

}  // namespace

RelayAnswer RelayClient::Answer() {
  RelayAnswer answer;
  const std::vector<std::string> fields = Fields(pending_);
  if (fields.size() >= 3) answer.command = fields[2].substr(0, kCommandKept);
  bool ok = false;
  std::string data;
  if (!overlong_ && fields.size() == kRequestFields && fields[0] == "START" &&
      fields[1] == "SERVER" && fields[4] == "END") {
    const std::string& command = fields[2];
    const std::string& argument = fields[3];
    if (command == "FIND") {
      ok = tokens_.TokenAttached();
    } else if (command == "GETID") {
      std::string uid;
      ok = tokens_.FirstTokenUid(&uid) && !uid.empty() && uid.find(kSeparator) == std::string::npos;
      if (ok) data = uid;
    } else if (command == "OPEN") {
      ok = tokens_.LoginFirstToken(argument);
    } else if (command == "GETDATA") {
      std::vector<uint8_t> record;
      ok = tokens_.FirstTokenKeyInfo(&record) && !record.empty();
      if (ok) data = Base64Encode(record.data(), record.size());
    } else if (command == "CLOSE") {
      ok = tokens_.LogoutFirstToken();
    }
  }
  answer.ok = ok;
  answer.reply = Reply(ok, data);
  return answer;
}

void RelayClient::Receive(const uint8_t* data, size_t length, std::vector<RelayAnswer>* answers) {
  for (size_t i = 0; i < length; ++i) {
    const char c = static_cast<char>(data[i]);
    if (pending_.size() < kMaxRequestBytes) {
      pending_.push_back(c);
    } else {
      overlong_ = true;
    }
    if (c != kSeparator || ++separators_ < kRequestFields) continue;
    answers->push_back(Answer());
    Reset();
  }
}

std::string RelayClient::ReceiveAndReply(const uint8_t* data, size_t length) {
  std::vector<RelayAnswer> answers;
  Receive(data, length, &answers);
  std::string replies;
  for (const RelayAnswer& answer : answers) replies += answer.reply;
  return replies;
}

void RelayClient::Reset() {
  pending_.clear();
  separators_ = 0;
  overlong_ = false;
}

}  // namespace quill
