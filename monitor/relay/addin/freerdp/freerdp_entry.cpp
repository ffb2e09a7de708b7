// The FreeRDP static channel add-in: FreeRDP loads it as lib<name>-client.so
// from its add-in folder for "/vc:<name>" and calls VirtualChannelEntryEx
// with its _EX entry points. All state hangs off the user parameter given to
// pVirtualChannelInitEx, which FreeRDP passes back with every event.
#include <freerdp/svc.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "addin_session.h"
#include "channel_constants.h"

static_assert(quill::kChannelFlagFirst == CHANNEL_FLAG_FIRST, "first-chunk flag");
static_assert(quill::kChannelFlagLast == CHANNEL_FLAG_LAST, "last-chunk flag");
static_assert(quill::kChannelOk == CHANNEL_RC_OK, "channel success code");
static_assert(quill::kChannelNotInitialized == CHANNEL_RC_NOT_INITIALIZED, "channel code");
static_assert(sizeof(quill::kRelayChannelName) <= CHANNEL_NAME_LEN + 1, "channel name length");

namespace {

class FreerdpChannel : public quill::ChannelHost {
 public:
  FreerdpChannel(const CHANNEL_ENTRY_POINTS_EX& entryPoints, LPVOID initHandle)
      : entryPoints_(entryPoints),
        initHandle_(initHandle),
        session_(*this, quill::MakeMachineTokenAccess()) {}

  quill::ChannelAddin& Addin() { return session_.Addin(); }
  DWORD OpenHandle() const { return openHandle_; }
  // FreeRDP may deliver data and init events on different threads; the add-in
  // core takes one at a time. Recursive: the client may call back from inside
  // its own entry points.
  std::recursive_mutex& Lock() { return lock_; }

  uint32_t OpenChannel() override;
  uint32_t CloseChannel() override {
    uint32_t result = entryPoints_.pVirtualChannelCloseEx(initHandle_, openHandle_);
    openHandle_ = 0;
    return result;
  }
  uint32_t WriteChannel(const uint8_t* data, uint32_t length, void* userData) override {
    return entryPoints_.pVirtualChannelWriteEx(initHandle_, openHandle_, const_cast<uint8_t*>(data),
                                               length, userData);
  }

 private:
  CHANNEL_ENTRY_POINTS_EX entryPoints_;
  LPVOID initHandle_;
  DWORD openHandle_ = 0;
  std::recursive_mutex lock_;
  quill::AddinSession session_;
};

VOID VCAPITYPE OpenEvent(LPVOID userParam, DWORD openHandle, UINT event, LPVOID data,
                         UINT32 dataLength, UINT32 totalLength, UINT32 dataFlags) {
  auto* channel = static_cast<FreerdpChannel*>(userParam);
  if (channel == nullptr) return;
  std::lock_guard<std::recursive_mutex> hold(channel->Lock());
  switch (event) {
    case CHANNEL_EVENT_DATA_RECEIVED:
      if (openHandle != channel->OpenHandle()) return;
      channel->Addin().OnDataReceived(static_cast<const uint8_t*>(data), dataLength, totalLength,
                                      dataFlags);
      break;
    case CHANNEL_EVENT_WRITE_COMPLETE:
    case CHANNEL_EVENT_WRITE_CANCELLED:
      // Also after the close that cancelled it: only this add-in's own
      // buffers are released.
      channel->Addin().OnWriteFinished(data);
      break;
    default:
      break;
  }
}

uint32_t FreerdpChannel::OpenChannel() {
  char name[CHANNEL_NAME_LEN + 1] = {};
  std::memcpy(name, quill::kRelayChannelName, sizeof(quill::kRelayChannelName));
  return entryPoints_.pVirtualChannelOpenEx(initHandle_, &openHandle_, name, OpenEvent);
}

VOID VCAPITYPE InitEvent(LPVOID userParam, LPVOID /*initHandle*/, UINT event, LPVOID /*data*/,
                         UINT /*dataLength*/) {
  auto* channel = static_cast<FreerdpChannel*>(userParam);
  if (channel == nullptr) return;
  if (event == CHANNEL_EVENT_TERMINATED) {
    {
      std::lock_guard<std::recursive_mutex> hold(channel->Lock());
      channel->Addin().OnTerminated();
    }
    // The client sends nothing after this event.
    delete channel;
    return;
  }
  std::lock_guard<std::recursive_mutex> hold(channel->Lock());
  switch (event) {
    case CHANNEL_EVENT_INITIALIZED:
      channel->Addin().OnInitialized();
      break;
    case CHANNEL_EVENT_CONNECTED:
      channel->Addin().OnConnected();
      break;
    case CHANNEL_EVENT_DISCONNECTED:
      channel->Addin().OnDisconnected();
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" BOOL VCAPITYPE VirtualChannelEntryEx(PCHANNEL_ENTRY_POINTS_EX entryPoints,
                                                PVOID initHandle) {
  if (entryPoints == nullptr || entryPoints->cbSize < sizeof(CHANNEL_ENTRY_POINTS_EX) ||
      entryPoints->pVirtualChannelInitEx == nullptr ||
      entryPoints->pVirtualChannelOpenEx == nullptr ||
      entryPoints->pVirtualChannelCloseEx == nullptr ||
      entryPoints->pVirtualChannelWriteEx == nullptr)
    return FALSE;
  auto channel = std::make_unique<FreerdpChannel>(*entryPoints, initHandle);
  CHANNEL_DEF definition = {};
  std::memcpy(definition.name, quill::kRelayChannelName, sizeof(quill::kRelayChannelName));
  definition.options = CHANNEL_OPTION_INITIALIZED | CHANNEL_OPTION_ENCRYPT_RDP;
  UINT result = entryPoints->pVirtualChannelInitEx(channel.get(), nullptr, initHandle, &definition,
                                                   1, VIRTUAL_CHANNEL_VERSION_WIN2000, InitEvent);
  if (result != CHANNEL_RC_OK) return FALSE;
  // From here the client owns the channel's life: it ends with the
  // terminated event, which deletes it.
  channel.release();
  return TRUE;
}
