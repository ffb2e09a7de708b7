// The add-in core shared by the Windows client DLL and the FreeRDP channel:
// the life of the "_QLCHN" channel on the client machine and the traffic on
// it. The platform shell registers the channel with the client, forwards the
// client's events here and lends the channel operations (ChannelHost):
//
//   initialized   -> OnInitialized
//   connected     -> OnConnected: the channel is opened
//   data received -> OnDataReceived: chunks joined into one message, the
//                    message answered by the relay client, the reply written
//   write complete / cancelled -> OnWriteFinished: the reply buffer released
//   disconnected  -> OnDisconnected: the channel closed, partial input dropped
//   terminated    -> OnTerminated: after it the add-in takes no more events
//
// Each channel message is one request: a message that leaves a request
// unfinished does not carry it over into the next message. Requests longer
// than kMaxRequestBytes, or whose chunks do not add up to the announced
// total, are dropped without a reply (the monitor then sees no answer).
// Not thread-safe: each shell hands it one event at a time, under a lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "channel_host.h"
#include "client/relay_client.h"
#include "message_assembler.h"
#include "pending_writes.h"

namespace quill {

class ChannelAddin {
 public:
  enum class State { kCreated, kInitialized, kOpen, kClosed, kTerminated };

  // What became of one received chunk.
  enum class DataOutcome {
    kPartial,      // kept; the message goes on
    kAnswered,     // the message was answered and the reply queued for writing
    kNoReply,      // the message was whole but completed no request
    kRefused,      // the message was dropped (too long, pieces not adding up)
    kIgnored,      // no open channel, or a piece outside any message
    kWriteFailed,  // the reply could not be queued (the client refused the write)
  };

  ChannelAddin(ChannelHost& host, RelayClient& relay) : host_(host), relay_(relay) {}

  void OnInitialized();
  // Opens the channel; returns the client's result of the open.
  uint32_t OnConnected();
  void OnDisconnected();
  void OnTerminated();
  DataOutcome OnDataReceived(const uint8_t* data, uint32_t dataLength, uint32_t totalLength,
                             uint32_t flags);
  // A write completed or was cancelled: releases its buffer. False when the
  // user data is not a buffer this add-in handed out.
  bool OnWriteFinished(const void* userData);

  State CurrentState() const { return state_; }
  size_t PendingWriteCount() const { return writes_.Count(); }

 private:
  DataOutcome Answer();

  ChannelHost& host_;
  RelayClient& relay_;
  MessageAssembler assembler_{kMaxRequestBytes};
  PendingWrites writes_;
  State state_ = State::kCreated;
};

}  // namespace quill
