// The Windows remote-desktop client add-in: the client loads the DLL named
// under its AddIns key and calls VirtualChannelEntry with its entry points.
// The client's callbacks carry only the init handle or the open handle, so
// the DLL keeps its channels in one list for the process, looked up by those
// handles and guarded by one lock (a client may run several connections in
// one process, each calling VirtualChannelEntry).
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "addin_session.h"
#include "channel_constants.h"
#include "client_channel_api.h"

static_assert(quill::kChannelFlagFirst == CHANNEL_FLAG_FIRST, "first-chunk flag");
static_assert(quill::kChannelFlagLast == CHANNEL_FLAG_LAST, "last-chunk flag");
static_assert(quill::kChannelOk == CHANNEL_RC_OK, "channel success code");
static_assert(quill::kChannelNotInitialized == CHANNEL_RC_NOT_INITIALIZED, "channel code");
static_assert(sizeof(quill::kRelayChannelName) <= CHANNEL_NAME_LEN + 1, "channel name length");

namespace {

VOID VCAPITYPE ChannelOpenEvent(DWORD openHandle, UINT event, LPVOID data, UINT32 dataLength,
                                UINT32 totalLength, UINT32 dataFlags);

class Win32Channel : public quill::ChannelHost {
 public:
  explicit Win32Channel(const CHANNEL_ENTRY_POINTS& entryPoints)
      : entryPoints_(entryPoints), session_(*this, quill::MakeMachineTokenAccess()) {}

  quill::ChannelAddin& Addin() { return session_.Addin(); }
  LPVOID* InitHandleSlot() { return &initHandle_; }
  LPVOID InitHandle() const { return initHandle_; }
  bool IsOpen() const { return open_; }
  DWORD OpenHandle() const { return openHandle_; }

  uint32_t OpenChannel() override {
    char name[CHANNEL_NAME_LEN + 1] = {};
    std::memcpy(name, quill::kRelayChannelName, sizeof(quill::kRelayChannelName));
    UINT result =
        entryPoints_.pVirtualChannelOpen(initHandle_, &openHandle_, name, ChannelOpenEvent);
    open_ = result == CHANNEL_RC_OK;
    return result;
  }
  uint32_t CloseChannel() override {
    open_ = false;
    return entryPoints_.pVirtualChannelClose(openHandle_);
  }
  uint32_t WriteChannel(const uint8_t* data, uint32_t length, void* userData) override {
    return entryPoints_.pVirtualChannelWrite(openHandle_, const_cast<uint8_t*>(data), length,
                                             userData);
  }

 private:
  CHANNEL_ENTRY_POINTS entryPoints_;
  LPVOID initHandle_ = nullptr;
  DWORD openHandle_ = 0;
  bool open_ = false;
  quill::AddinSession session_;
};

// The add-in's channels in this process. Recursive: a client may call back
// into the add-in from inside one of its own entry points.
std::recursive_mutex channelsLock;
std::vector<std::unique_ptr<Win32Channel>> channels;

Win32Channel* FindByInitHandle(LPVOID initHandle) {
  for (const auto& channel : channels)
    if (channel->InitHandle() == initHandle) return channel.get();
  return nullptr;
}

Win32Channel* FindByOpenHandle(DWORD openHandle) {
  for (const auto& channel : channels)
    if (channel->IsOpen() && channel->OpenHandle() == openHandle) return channel.get();
  return nullptr;
}

void Remove(Win32Channel* gone) {
  for (auto it = channels.begin(); it != channels.end(); ++it) {
    if (it->get() == gone) {
      channels.erase(it);
      return;
    }
  }
}

VOID VCAPITYPE ChannelOpenEvent(DWORD openHandle, UINT event, LPVOID data, UINT32 dataLength,
                                UINT32 totalLength, UINT32 dataFlags) {
  std::lock_guard<std::recursive_mutex> hold(channelsLock);
  if (event == CHANNEL_EVENT_WRITE_COMPLETE || event == CHANNEL_EVENT_WRITE_CANCELLED) {
    // Writes cancelled by a close arrive after the channel was closed; the
    // buffer itself says whose it is.
    for (const auto& channel : channels)
      if (channel->Addin().OnWriteFinished(data)) return;
    return;
  }
  Win32Channel* channel = FindByOpenHandle(openHandle);
  if (channel == nullptr || event != CHANNEL_EVENT_DATA_RECEIVED) return;
  channel->Addin().OnDataReceived(static_cast<const uint8_t*>(data), dataLength, totalLength,
                                  dataFlags);
}

VOID VCAPITYPE ChannelInitEvent(LPVOID initHandle, UINT event, LPVOID /*data*/,
                                UINT /*dataLength*/) {
  std::lock_guard<std::recursive_mutex> hold(channelsLock);
  Win32Channel* channel = FindByInitHandle(initHandle);
  if (channel == nullptr) return;
  switch (event) {
    case CHANNEL_EVENT_INITIALIZED:
      channel->Addin().OnInitialized();
      break;
    case CHANNEL_EVENT_CONNECTED:
    case CHANNEL_EVENT_V1_CONNECTED:
      channel->Addin().OnConnected();
      break;
    case CHANNEL_EVENT_DISCONNECTED:
      channel->Addin().OnDisconnected();
      break;
    case CHANNEL_EVENT_TERMINATED:
      channel->Addin().OnTerminated();
      Remove(channel);
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" BOOL VCAPITYPE VirtualChannelEntry(PCHANNEL_ENTRY_POINTS entryPoints) {
  if (entryPoints == nullptr || entryPoints->cbSize < sizeof(CHANNEL_ENTRY_POINTS) ||
      entryPoints->pVirtualChannelInit == nullptr || entryPoints->pVirtualChannelOpen == nullptr ||
      entryPoints->pVirtualChannelClose == nullptr || entryPoints->pVirtualChannelWrite == nullptr)
    return FALSE;
  std::lock_guard<std::recursive_mutex> hold(channelsLock);
  channels.push_back(std::make_unique<Win32Channel>(*entryPoints));
  Win32Channel* channel = channels.back().get();
  CHANNEL_DEF definition = {};
  std::memcpy(definition.name, quill::kRelayChannelName, sizeof(quill::kRelayChannelName));
  definition.options = CHANNEL_OPTION_INITIALIZED | CHANNEL_OPTION_ENCRYPT_RDP;
  UINT result = entryPoints->pVirtualChannelInit(channel->InitHandleSlot(), &definition, 1,
                                                 VIRTUAL_CHANNEL_VERSION_WIN2000, ChannelInitEvent);
  if (result != CHANNEL_RC_OK) {
    Remove(channel);
    return FALSE;
  }
  return TRUE;
}
