#include "server.h"

namespace quill {

VirtualTokenServer::VirtualTokenServer(const FrameKey& frameKey) : frameKey_(frameKey) {}

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
  std::lock_guard<std::mutex> lock(mutex_);
  const int id = static_cast<int>(endpoints_.size());
  TokenSpec resolved = spec;
  if (!resolved.uid) resolved.uid = DefaultUid(id);
  if (resolved.kind == TokenKind::kHid) resolved.path.clear();
  auto endpoint = std::make_unique<TokenEndpoint>(resolved, frameKey_, tracker_);
  if (running_) {
    std::string error;
    if (!endpoint->Plug(&error)) {
      lastError_ = error;
      return -1;
    }
  }
  endpoints_.push_back(std::move(endpoint));
  return id;
}

int VirtualTokenServer::TokenCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(endpoints_.size());
}

TokenEndpoint* VirtualTokenServer::Find(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (id < 0 || static_cast<size_t>(id) >= endpoints_.size()) return nullptr;
  return endpoints_[static_cast<size_t>(id)].get();
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
  return endpoint != nullptr ? endpoint->Spec() : TokenSpec{};
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

void VirtualTokenServer::InjectFault(int id, const Fault& fault, int count) {
  if (TokenEndpoint* endpoint = Find(id)) endpoint->Token().InjectFault(fault, count);
}

void VirtualTokenServer::ClearFaults(int id) {
  if (TokenEndpoint* endpoint = Find(id)) endpoint->Token().ClearFaults();
}

TokenStats VirtualTokenServer::Stats(int id) const {
  const TokenEndpoint* endpoint = Find(id);
  return endpoint != nullptr ? endpoint->Token().Stats() : TokenStats{};
}

std::string VirtualTokenServer::LastError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastError_;
}

void VirtualTokenServer::SetLastError(const std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  lastError_ = error;
}

}  // namespace quill
