#include "server.h"

namespace quill {

VirtualTokenServer::VirtualTokenServer(const FrameKey& frameKey, const AccessKey& accessKey)
    : frameKey_(frameKey), accessKey_(accessKey) {}

VirtualTokenServer::~VirtualTokenServer() {
  Stop();
}

bool VirtualTokenServer::Start() {
  std::vector<TokenEndpoint*> endpoints;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = true;
    for (auto& endpoint : endpoints_) endpoints.push_back(endpoint.get());
  }
  bool allPlugged = true;
  for (TokenEndpoint* endpoint : endpoints) {
    std::string error;
    if (!endpoint->Plug(&error)) {
      SetLastError(error);
      allPlugged = false;
    }
  }
  return allPlugged;
}

void VirtualTokenServer::Stop() {
  std::vector<TokenEndpoint*> endpoints;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    for (auto& endpoint : endpoints_) endpoints.push_back(endpoint.get());
  }
  for (TokenEndpoint* endpoint : endpoints) endpoint->Unplug();
}

int VirtualTokenServer::AddToken(const TokenSpec& spec) {
  if (spec.kind == TokenKind::kCdrom && !spec.path.empty() && !IsValidCdromPath(spec.path)) {
    SetLastError("the cdrom path must be 1 to 260 characters without blanks");
    return -1;
  }
  std::string error;
  if (!CheckTokenSettings(spec.settings, &error)) {
    SetLastError(error);
    return -1;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const int id = static_cast<int>(endpoints_.size());
  TokenSpec resolved = spec;
  if (!resolved.uid) resolved.uid = DefaultUid(id);
  if (resolved.kind == TokenKind::kHid) resolved.path.clear();
  const bool persistent = store_.IsOpen();
  const std::optional<StoredTokenState> entry =
      persistent ? store_.Entry(id) : std::optional<StoredTokenState>();
  const StoredTokenState stored =
      entry ? *entry : DefaultTokenState(*resolved.uid, spec.settings, accessKey_);
  resolved.uid = stored.uid;
  auto endpoint =
      std::make_unique<TokenEndpoint>(resolved, stored, accessKey_, frameKey_, tracker_);
  if (persistent) SaveAfterCommands(endpoint->Token(), id);
  if (running_ && !endpoint->Plug(&error)) {
    SetLastError(error);
    return -1;
  }
  if (persistent && !entry && !store_.Save(id, stored, &error)) {
    SetLastError(error);
    return -1;
  }
  endpoints_.push_back(std::move(endpoint));
  return id;
}

int VirtualTokenServer::TokenCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(endpoints_.size());
}

bool VirtualTokenServer::UseStateFile(const std::string& path) {
  std::string error;
  if (!store_.Open(path, &error)) {
    SetLastError(error);
    return false;
  }
  const std::vector<TokenEndpoint*> endpoints = Endpoints();
  for (size_t i = 0; i < endpoints.size(); ++i) {
    const int id = static_cast<int>(i);
    VirtualToken& token = endpoints[i]->Token();
    if (const std::optional<StoredTokenState> entry = store_.Entry(id)) {
      token.Load(*entry);
    } else if (!store_.Save(id, token.Stored(), &error)) {
      SetLastError(error);
      return false;
    }
    SaveAfterCommands(token, id);
  }
  // Creates the file when there are no tokens yet.
  if (!store_.Write(&error)) {
    SetLastError(error);
    return false;
  }
  return true;
}

bool VirtualTokenServer::ReloadState() {
  std::string error;
  if (!store_.Reload(&error)) {
    SetLastError(error);
    return false;
  }
  const std::vector<TokenEndpoint*> endpoints = Endpoints();
  for (size_t i = 0; i < endpoints.size(); ++i) {
    if (const std::optional<StoredTokenState> entry = store_.Entry(static_cast<int>(i))) {
      endpoints[i]->Token().Load(*entry);
    }
  }
  return true;
}

void VirtualTokenServer::SaveAfterCommands(VirtualToken& token, int id) {
  token.SetStoredStateSink(
      [this, id](const StoredTokenState& state) { return SaveState(id, state); });
}

bool VirtualTokenServer::SaveState(int id, const StoredTokenState& state) {
  std::string error;
  if (store_.Save(id, state, &error)) return true;
  const std::string message = "token " + std::to_string(id) + ": state not saved: " + error;
  std::lock_guard<std::mutex> lock(errorMutex_);
  lastError_ = message;
  if (warn_) warn_(message);
  return false;
}

TokenEndpoint* VirtualTokenServer::Find(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (id < 0 || static_cast<size_t>(id) >= endpoints_.size()) return nullptr;
  return endpoints_[static_cast<size_t>(id)].get();
}

std::vector<TokenEndpoint*> VirtualTokenServer::Endpoints() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TokenEndpoint*> endpoints;
  for (const auto& endpoint : endpoints_) endpoints.push_back(endpoint.get());
  return endpoints;
}

uint16_t VirtualTokenServer::Port(int id) const {
  const TokenEndpoint* endpoint = Find(id);
  return endpoint != nullptr ? endpoint->Port() : 0;
}

std::string VirtualTokenServer::Endpoint(int id) const {
  return "127.0.0.1:" + std::to_string(Port(id));
}

TokenSpec VirtualTokenServer::Spec(int id) const {
  const TokenEndpoint* endpoint = Find(id);
  if (endpoint == nullptr) return TokenSpec{};
  TokenSpec spec = endpoint->Spec();
  spec.uid = endpoint->Token().Stored().uid;  // a reloaded state may carry another
  return spec;
}

void VirtualTokenServer::Unplug(int id) {
  if (TokenEndpoint* endpoint = Find(id)) endpoint->Unplug();
}

bool VirtualTokenServer::Plug(int id) {
  TokenEndpoint* endpoint = Find(id);
  if (endpoint == nullptr) return false;
  std::string error;
  if (endpoint->Plug(&error)) return true;
  SetLastError(error);
  return false;
}

bool VirtualTokenServer::Plugged(int id) const {
  const TokenEndpoint* endpoint = Find(id);
  return endpoint != nullptr && endpoint->Plugged();
}

void VirtualTokenServer::InjectFault(int id, const Fault& fault, int count, int after) {
  if (TokenEndpoint* endpoint = Find(id)) endpoint->Token().InjectFault(fault, count, after);
}

void VirtualTokenServer::ClearFaults(int id) {
  if (TokenEndpoint* endpoint = Find(id)) endpoint->Token().ClearFaults();
}

TokenStats VirtualTokenServer::Stats(int id) const {
  const TokenEndpoint* endpoint = Find(id);
  return endpoint != nullptr ? endpoint->Token().Stats() : TokenStats{};
}

SessionState VirtualTokenServer::Session(int id) const {
  const TokenEndpoint* endpoint = Find(id);
  return endpoint != nullptr ? endpoint->Token().Session() : SessionState{};
}

bool VirtualTokenServer::HasStateEntry(int id) const {
  return store_.IsOpen() && store_.Entry(id).has_value();
}

StoredTokenState VirtualTokenServer::Stored(int id) const {
  const TokenEndpoint* endpoint = Find(id);
  return endpoint != nullptr ? endpoint->Token().Stored() : StoredTokenState{};
}

std::string VirtualTokenServer::LastError() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return lastError_;
}

void VirtualTokenServer::SetWarningSink(WarningSink sink) {
  std::lock_guard<std::mutex> lock(errorMutex_);
  warn_ = std::move(sink);
}

void VirtualTokenServer::SetLastError(const std::string& error) {
  std::lock_guard<std::mutex> lock(errorMutex_);
  lastError_ = error;
}

}  // namespace quill
