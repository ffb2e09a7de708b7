// The watcher's decisions with a scripted probe and a recording notifier.
#include "presence_watcher.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quill {
namespace {

const char kHidHello[] = "QVT1 hid 04b4 b328\n";
const char kHidPathAt4000[] =
    "\\\\?\\USB#VID_04B4&PID_B328#QVT4000#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// Answers each port with what the test set for it; counts the probes.
class ScriptedProbe : public EndpointProbe {
 public:
  void Set(uint16_t port, ProbeOutcome outcome, std::string hello = kHidHello) {
    answers_[port] = {outcome, std::move(hello)};
  }
  ProbeOutcome Probe(const LoopbackEndpoint& endpoint, std::string* helloLine) override {
    probed.push_back(endpoint.port);
    auto it = answers_.find(endpoint.port);
    if (it == answers_.end()) return ProbeOutcome::kRefused;
    *helloLine = it->second.outcome == ProbeOutcome::kAnswered ? it->second.hello : "";
    return it->second.outcome;
  }
  std::vector<uint16_t> probed;

 private:
  struct Answer {
    ProbeOutcome outcome;
    std::string hello;
  };
  std::map<uint16_t, Answer> answers_;
};

class RecordingNotifier : public PresenceNotifier {
 public:
  bool Deliver(PresenceChange change, const std::string& devicePath) override {
    delivered.emplace_back(change, devicePath);
    return accept;
  }
  std::vector<std::pair<PresenceChange, std::string>> delivered;
  bool accept = true;
};

std::vector<LoopbackEndpoint> Endpoints(std::vector<uint16_t> ports) {
  std::vector<LoopbackEndpoint> endpoints;
  for (uint16_t port : ports) endpoints.push_back({"127.0.0.1", port});
  return endpoints;
}

class PresenceWatcherTest : public ::testing::Test {
 protected:
  ScriptedProbe probe;
  RecordingNotifier notifier;
};

TEST_F(PresenceWatcherTest, FirstPollOnlyTakesTheBaseline) {
  probe.Set(4000, ProbeOutcome::kAnswered);
  PresenceWatcher watcher(Endpoints({4000, 4001}), &probe, &notifier);
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(notifier.delivered.empty());
  EXPECT_TRUE(watcher.Present(0));
  EXPECT_FALSE(watcher.Present(1));
  EXPECT_EQ(probe.probed, (std::vector<uint16_t>{4000, 4001}));
  // Nothing changed: still nothing to say.
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(notifier.delivered.empty());
}

TEST_F(PresenceWatcherTest, RemovalThenArrivalCarryTheHelloPath) {
  probe.Set(4000, ProbeOutcome::kAnswered);
  PresenceWatcher watcher(Endpoints({4000}), &probe, &notifier);
  watcher.Poll();

  probe.Set(4000, ProbeOutcome::kRefused);
  std::vector<PresenceEvent> events = watcher.Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].change, PresenceChange::kRemoval);
  EXPECT_EQ(events[0].devicePath, kHidPathAt4000);
  EXPECT_EQ(events[0].endpoint, "127.0.0.1:4000");
  EXPECT_TRUE(events[0].delivered);
  EXPECT_FALSE(watcher.Present(0));
  EXPECT_TRUE(watcher.Poll().empty()) << "still refused is no new removal";

  probe.Set(4000, ProbeOutcome::kAnswered);
  events = watcher.Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].change, PresenceChange::kArrival);
  EXPECT_EQ(events[0].devicePath, kHidPathAt4000);

  ASSERT_EQ(notifier.delivered.size(), 2u);
  EXPECT_EQ(notifier.delivered[0].first, PresenceChange::kRemoval);
  EXPECT_EQ(notifier.delivered[1].first, PresenceChange::kArrival);
}

TEST_F(PresenceWatcherTest, TokenAbsentAtStartArrivesWithItsOwnPath) {
  PresenceWatcher watcher(Endpoints({4000, 4100}), &probe, &notifier);
  watcher.Poll();
  probe.Set(4100, ProbeOutcome::kAnswered, "QVT1 hid 04B4 B812\n");
  const std::vector<PresenceEvent> events = watcher.Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].change, PresenceChange::kArrival);
  EXPECT_EQ(events[0].devicePath,
            "\\\\?\\USB#VID_04B4&PID_B812#QVT4100#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

TEST_F(PresenceWatcherTest, UnclearAnswerKeepsTheLastState) {
  probe.Set(4000, ProbeOutcome::kAnswered);
  PresenceWatcher watcher(Endpoints({4000}), &probe, &notifier);
  watcher.Poll();
  probe.Set(4000, ProbeOutcome::kUnclear);
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(watcher.Present(0));
  // Answering again after an unclear poll is no arrival: it never left.
  probe.Set(4000, ProbeOutcome::kAnswered);
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(notifier.delivered.empty());
}

TEST_F(PresenceWatcherTest, FirstClearAnswerIsTheBaselineOfAnUnclearStart) {
  probe.Set(4000, ProbeOutcome::kUnclear);
  PresenceWatcher watcher(Endpoints({4000}), &probe, &notifier);
  watcher.Poll();
  EXPECT_FALSE(watcher.Present(0));
  // It was there all along: answering now is no arrival.
  probe.Set(4000, ProbeOutcome::kAnswered);
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(watcher.Present(0));
  probe.Set(4000, ProbeOutcome::kRefused);
  EXPECT_EQ(watcher.Poll().size(), 1u);
  EXPECT_EQ(notifier.delivered.size(), 1u);
}

TEST_F(PresenceWatcherTest, UndeliveredEventIsReportedAndNotRepeated) {
  probe.Set(4000, ProbeOutcome::kAnswered);
  PresenceWatcher watcher(Endpoints({4000}), &probe, &notifier);
  watcher.Poll();
  notifier.accept = false;
  probe.Set(4000, ProbeOutcome::kRefused);
  const std::vector<PresenceEvent> events = watcher.Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_FALSE(events[0].delivered);
  // A real device notification that nobody received is not sent again.
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_EQ(notifier.delivered.size(), 1u);
}

TEST_F(PresenceWatcherTest, HelloWithoutUsbIdentifiersGivesNoEvent) {
  PresenceWatcher watcher(Endpoints({4000}), &probe, &notifier);
  watcher.Poll();
  probe.Set(4000, ProbeOutcome::kAnswered, "QVT1 cdrom \\\\?\\scsi#cdrom&ven_x#1&0\n");
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(watcher.Present(0));
  probe.Set(4000, ProbeOutcome::kRefused);
  EXPECT_TRUE(watcher.Poll().empty()) << "no path to announce a removal with";
  EXPECT_TRUE(notifier.delivered.empty());
}

TEST_F(PresenceWatcherTest, SeveralEndpointsChangeInListOrder) {
  probe.Set(4000, ProbeOutcome::kAnswered);
  PresenceWatcher watcher(Endpoints({4000, 4001}), &probe, &notifier);
  watcher.Poll();
  probe.Set(4000, ProbeOutcome::kRefused);
  probe.Set(4001, ProbeOutcome::kAnswered, "QVT1 hid 04b4 b328\n");
  const std::vector<PresenceEvent> events = watcher.Poll();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].change, PresenceChange::kRemoval);
  EXPECT_EQ(events[0].endpoint, "127.0.0.1:4000");
  EXPECT_EQ(events[1].change, PresenceChange::kArrival);
  EXPECT_EQ(events[1].endpoint, "127.0.0.1:4001");
  EXPECT_NE(events[0].devicePath, events[1].devicePath) << "the port tells two tokens apart";
}

}  // namespace
}  // namespace quill
