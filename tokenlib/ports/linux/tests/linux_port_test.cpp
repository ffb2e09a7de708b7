#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <set>
#include <thread>
#include <vector>

#include "fake_sysfs.h"
#include "flock_exchange_lock.h"
#include "hidraw_port.h"
#include "linux_system.h"
#include "sg_storage_port.h"

namespace quill {
namespace {

using testing::FakeSystem;
using testing::TempTree;
using testing::UsbParent;

constexpr size_t kReport = 249;
constexpr size_t kFrame = 248;

std::vector<std::string> ListAll(InterfaceListPort& list, OsErrorPort& osError) {
  std::vector<std::string> paths;
  uint32_t index = 0;
  for (; list.Enumerate(index); ++index) {
    std::string path;
    EXPECT_TRUE(list.Detail(index, &path));
    paths.push_back(path);
  }
  EXPECT_EQ(osError.Get(), kOsErrorNoMoreItems);
  std::string ignored;
  EXPECT_FALSE(list.Detail(index, &ignored));
  return paths;
}

// ---- last error and clock ----

TEST(LinuxSystem, ErrnoValuesMapToTheLastErrorsTheLibraryReads) {
  for (int gone : {ENODEV, ENXIO, ENOENT, EPIPE, ECONNRESET, ESHUTDOWN, EIO}) {
    EXPECT_EQ(OsErrorFromErrno(gone), kOsErrorDeviceNotConnected) << gone;
  }
  EXPECT_EQ(OsErrorFromErrno(ETIMEDOUT), kOsErrorTimeout);
  EXPECT_EQ(OsErrorFromErrno(EACCES), kOsErrorGenFailure);
  EXPECT_EQ(OsErrorFromErrno(EINVAL), kOsErrorGenFailure);
  EXPECT_EQ(OsErrorFromErrno(0), kOsErrorSuccess);
}

TEST(LinuxSystem, LastErrorBelongsToTheThread) {
  LinuxOsError osError;
  osError.Set(kOsErrorTimeout);
  uint32_t seenByOther = 1;
  std::thread other([&] {
    seenByOther = osError.Get();
    osError.Set(kOsErrorDeviceNotConnected);
  });
  other.join();
  EXPECT_EQ(seenByOther, kOsErrorSuccess);
  EXPECT_EQ(osError.Get(), kOsErrorTimeout);
}

TEST(LinuxSystem, FileTimeCountsFrom1601In100NanosecondUnits) {
  LinuxClock clock;
  const uint64_t before = static_cast<uint64_t>(time(nullptr));
  const uint64_t fileTime = clock.FileTimeNow();
  const uint64_t after = static_cast<uint64_t>(time(nullptr));
  const uint64_t unixSeconds = fileTime / 10000000ULL - 11644473600ULL;
  EXPECT_GE(unixSeconds, before);
  EXPECT_LE(unixSeconds, after);
  EXPECT_GT(clock.FileTimeNow(), fileTime - 1);
}

// ---- exchange lock ----

class FlockExchangeLockTest : public ::testing::Test {
 protected:
  std::string LockPath() const { return tree_.Path("exchange.lock"); }

  // Runs body in a child process; its result is the child's exit status.
  static bool InChild(bool (*body)(const std::string&), const std::string& path) {
    const pid_t child = fork();
    if (child == 0) _exit(body(path) ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  TempTree tree_;
};

TEST_F(FlockExchangeLockTest, CreatedFileIsOpenToEveryAccount) {
  const mode_t previous = umask(022);
  FlockExchangeLock lock(LockPath());
  const bool created = lock.Create();
  umask(previous);
  ASSERT_TRUE(created);
  struct stat info {};
  ASSERT_EQ(stat(LockPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666u);
}

TEST_F(FlockExchangeLockTest, SecondLockWaitsOutItsTimeoutWhileTheFirstIsHeld) {
  FlockExchangeLock first(LockPath());
  FlockExchangeLock second(LockPath());
  ASSERT_TRUE(first.Create());
  ASSERT_TRUE(second.Create());
  ASSERT_TRUE(first.Wait(0));

  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(second.Wait(30));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(30));
  EXPECT_LT(waited, std::chrono::seconds(5));

  first.Release();
  EXPECT_TRUE(second.Wait(0));
  EXPECT_FALSE(first.Wait(0));
  second.Release();
}

bool TakeLock(const std::string& path) {
  FlockExchangeLock lock(path);
  return lock.Create() && lock.Wait(50);
}

bool TakeLockAndDie(const std::string& path) {
  FlockExchangeLock lock(path);
  if (!lock.Create() || !lock.Wait(1000)) _exit(2);
  _exit(0);  // ends holding the lock
}

TEST_F(FlockExchangeLockTest, OtherProcessCannotTakeTheLockWhileHeld) {
  FlockExchangeLock lock(LockPath());
  ASSERT_TRUE(lock.Create());
  ASSERT_TRUE(lock.Wait(0));
  EXPECT_FALSE(InChild(TakeLock, LockPath()));
  lock.Release();
  EXPECT_TRUE(InChild(TakeLock, LockPath()));
}

TEST_F(FlockExchangeLockTest, LockOfAProcessThatEndedIsObtained) {
  ASSERT_TRUE(InChild(TakeLockAndDie, LockPath()));
  FlockExchangeLock lock(LockPath());
  ASSERT_TRUE(lock.Create());
  EXPECT_TRUE(lock.Wait(1000));
}

TEST_F(FlockExchangeLockTest, ReadOnlyLockFileStillLocks) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  tree_.WriteFile("exchange.lock", "");
  ASSERT_EQ(chmod(LockPath().c_str(), 0444), 0);
  FlockExchangeLock first(LockPath());
  FlockExchangeLock second(LockPath());
  ASSERT_TRUE(first.Create());
  ASSERT_TRUE(second.Create());
  EXPECT_TRUE(first.Wait(0));
  EXPECT_FALSE(second.Wait(0));
}

// ---- hidraw enumeration ----

class HidrawPortTest : public ::testing::Test {
 protected:
  HidrawPort Port() { return HidrawPort(osError_, system_.sysfsRoot(), system_.devRoot()); }

  FakeSystem system_;
  LinuxOsError osError_;
};

TEST_F(HidrawPortTest, ListsNodesInNumberOrder) {
  system_.AddHidraw(10, "0003:000004B4:0000B328");
  system_.AddHidraw(2, "0003:0000046D:0000C52B");
  system_.AddHidraw(0, "0003:000004B4:0000B812");
  system_.tree().MakeDirs("sys/class/hidraw/hidrawtest");
  HidrawPort port = Port();
  EXPECT_EQ(port.Bind(), BindStatus::kBound);
  std::unique_ptr<InterfaceListPort> list = port.ListInterfaces();
  ASSERT_NE(list, nullptr);
  const std::string dev = system_.devRoot();
  EXPECT_EQ(ListAll(*list, osError_),
            (std::vector<std::string>{dev + "/hidraw0", dev + "/hidraw2", dev + "/hidraw10"}));
}

TEST_F(HidrawPortTest, NoHidrawClassIsAnEmptyList) {
  HidrawPort port = Port();
  std::unique_ptr<InterfaceListPort> list = port.ListInterfaces();
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(list->Enumerate(0));
  EXPECT_EQ(osError_.Get(), kOsErrorNoMoreItems);
}

TEST_F(HidrawPortTest, AttributesComeFromTheHidIdOfTheOpenedNode) {
  system_.AddHidraw(3, "0003:000004B4:0000B328");
  system_.AddHidraw(4, "0005:0000046D:0000C52B");
  system_.AddHidraw(5, "");
  system_.AddHidraw(6, "0003:000104B4:0000B328");  // does not fit 16 bits
  HidrawPort port = Port();
  uint16_t vendor = 0;
  uint16_t product = 0;

  std::unique_ptr<HidDevicePort> token = port.Open(system_.devRoot() + "/hidraw3");
  ASSERT_NE(token, nullptr);
  ASSERT_TRUE(token->GetAttributes(&vendor, &product));
  EXPECT_EQ(vendor, 0x04B4);
  EXPECT_EQ(product, 0xB328);

  std::unique_ptr<HidDevicePort> mouse = port.Open(system_.devRoot() + "/hidraw4");
  ASSERT_NE(mouse, nullptr);
  ASSERT_TRUE(mouse->GetAttributes(&vendor, &product));
  EXPECT_EQ(vendor, 0x046D);
  EXPECT_EQ(product, 0xC52B);

  for (const char* broken : {"/hidraw5", "/hidraw6"}) {
    std::unique_ptr<HidDevicePort> device = port.Open(system_.devRoot() + broken);
    ASSERT_NE(device, nullptr);
    EXPECT_FALSE(device->GetAttributes(&vendor, &product)) << broken;
  }
}

TEST_F(HidrawPortTest, VanishedNodeFailsToOpenAsNotConnected) {
  HidrawPort port = Port();
  EXPECT_EQ(port.Open(system_.devRoot() + "/hidraw7"), nullptr);
  EXPECT_EQ(osError_.Get(), kOsErrorDeviceNotConnected);
}

// ---- hidraw reports (a socket pair keeps report boundaries like hidraw) ----

class HidrawDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    signal(SIGPIPE, SIG_IGN);
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
    device_ = std::make_unique<HidrawDevice>(fds[0], "", osError_);
    peer_ = fds[1];
  }
  void TearDown() override { ClosePeer(); }

  void ClosePeer() {
    if (peer_ >= 0) close(peer_);
    peer_ = -1;
  }
  void PeerSends(const std::vector<uint8_t>& report) {
    ASSERT_EQ(send(peer_, report.data(), report.size(), 0), static_cast<ssize_t>(report.size()));
  }
  static std::vector<uint8_t> Pattern(size_t length, uint8_t first) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
  }

  LinuxOsError osError_;
  std::unique_ptr<HidrawDevice> device_;
  int peer_ = -1;
};

TEST_F(HidrawDeviceTest, ReportWithoutIdIsDeliveredAfterIdZero) {
  const std::vector<uint8_t> sent = Pattern(kFrame, 1);
  PeerSends(sent);
  uint8_t report[kReport];
  size_t received = 0;
  ASSERT_EQ(device_->Read(report, kReport, 1000, &received), IoStatus::kOk);
  EXPECT_EQ(received, kReport);
  EXPECT_EQ(report[0], 0);
  EXPECT_EQ(std::vector<uint8_t>(report + 1, report + kReport), sent);
}

TEST_F(HidrawDeviceTest, NumberedAndOddLengthReportsPassUnchanged) {
  const std::vector<uint8_t> numbered = Pattern(kReport, 7);
  PeerSends(numbered);
  PeerSends(Pattern(10, 3));
  uint8_t report[kReport];
  size_t received = 0;
  ASSERT_EQ(device_->Read(report, kReport, 1000, &received), IoStatus::kOk);
  EXPECT_EQ(received, kReport);
  EXPECT_EQ(std::vector<uint8_t>(report, report + kReport), numbered);
  ASSERT_EQ(device_->Read(report, kReport, 1000, &received), IoStatus::kOk);
  EXPECT_EQ(received, 10u);
  EXPECT_EQ(report[0], 3);
}

TEST_F(HidrawDeviceTest, ReadWithoutReportTimesOut) {
  uint8_t report[kReport];
  size_t received = 99;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device_->Read(report, kReport, 20, &received), IoStatus::kTimeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_EQ(received, 0u);
  EXPECT_EQ(osError_.Get(), kOsErrorTimeout);
}

TEST_F(HidrawDeviceTest, WriteSendsTheWholeReport) {
  const std::vector<uint8_t> report = Pattern(kReport, 0);
  size_t written = 0;
  ASSERT_EQ(device_->Write(report.data(), report.size(), 1000, &written), IoStatus::kOk);
  EXPECT_EQ(written, kReport);
  uint8_t arrived[kReport + 8];
  ASSERT_EQ(recv(peer_, arrived, sizeof(arrived), 0), static_cast<ssize_t>(kReport));
  EXPECT_EQ(std::vector<uint8_t>(arrived, arrived + kReport), report);
}

TEST_F(HidrawDeviceTest, WriteTimesOutWhenTheDeviceTakesNothing) {
  const std::vector<uint8_t> report = Pattern(kReport, 0);
  size_t written = 0;
  IoStatus status = IoStatus::kOk;
  for (int i = 0; i < 100000 && status == IoStatus::kOk; ++i) {
    status = device_->Write(report.data(), report.size(), 20, &written);
  }
  EXPECT_EQ(status, IoStatus::kTimeout);
  EXPECT_EQ(osError_.Get(), kOsErrorTimeout);
}

TEST_F(HidrawDeviceTest, FlushDiscardsWaitingReportsWithoutBlocking) {
  EXPECT_TRUE(device_->FlushQueue());  // nothing waiting
  for (uint8_t i = 0; i < 3; ++i) PeerSends(Pattern(kFrame, i));
  EXPECT_TRUE(device_->FlushQueue());
  uint8_t report[kReport];
  size_t received = 0;
  EXPECT_EQ(device_->Read(report, kReport, 10, &received), IoStatus::kTimeout);
}

TEST_F(HidrawDeviceTest, VanishedDeviceReportsNotConnected) {
  ClosePeer();
  uint8_t report[kReport] = {};
  size_t count = 0;
  osError_.Set(kOsErrorSuccess);
  EXPECT_EQ(device_->Read(report, kReport, 1000, &count), IoStatus::kFailed);
  EXPECT_EQ(osError_.Get(), kOsErrorDeviceNotConnected);
  osError_.Set(kOsErrorSuccess);
  EXPECT_EQ(device_->Write(report, kReport, 1000, &count), IoStatus::kFailed);
  EXPECT_EQ(osError_.Get(), kOsErrorDeviceNotConnected);
  osError_.Set(kOsErrorSuccess);
  EXPECT_FALSE(device_->FlushQueue());
  EXPECT_EQ(osError_.Get(), kOsErrorDeviceNotConnected);
}

// ---- SCSI generic enumeration ----

class SgStoragePortTest : public ::testing::Test {
 protected:
  SgStoragePort Port() { return SgStoragePort(osError_, system_.sysfsRoot(), system_.devRoot()); }

  FakeSystem system_;
  LinuxOsError osError_;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(SgStoragePortTest, ListsOnlyCdromsBelowUsbDevices) {
  const UsbParent modelA{"04b4", "b708", "A1B2C3"};
  const UsbParent modelB{"04B4", "B826", ""};
  system_.AddScsiGeneric(0, "0", &modelA);  // a disk
  system_.AddScsiGeneric(1, "5", &modelA);
  system_.AddScsiGeneric(2, "5", nullptr);  // an internal drive
  system_.AddScsiGeneric(10, "5", &modelB);
  system_.AddScsiGeneric(11, "5", &modelB);  // a twin without serial number
  SgStoragePort port = Port();
  std::unique_ptr<InterfaceListPort> list = port.ListInterfaces();
  ASSERT_NE(list, nullptr);
  const std::vector<std::string> paths = ListAll(*list, osError_);
  ASSERT_EQ(paths.size(), 3u);

  EXPECT_NE(Lower(paths[0]).find("vid_04b4pid_b708"), std::string::npos) << paths[0];
  EXPECT_NE(paths[0].find("A1B2C3"), std::string::npos) << paths[0];
  EXPECT_EQ(paths[0].substr(paths[0].size() - 4), "#sg1");
  EXPECT_NE(paths[1].find("vid_04b4pid_b826"), std::string::npos) << paths[1];
  EXPECT_EQ(paths[1].substr(paths[1].size() - 5), "#sg10");
  EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), paths.size());
  for (const std::string& path : paths) EXPECT_LE(path.size(), 260u);
}

TEST_F(SgStoragePortTest, LowerCasedPathOpensItsNodeDespiteOddModelText) {
  const UsbParent token{"04b4", "b708", "S/N #7 & more"};
  system_.AddScsiGeneric(3, "5", &token, "Quill #Token&Disk");
  SgStoragePort port = Port();
  std::unique_ptr<InterfaceListPort> list = port.ListInterfaces();
  ASSERT_NE(list, nullptr);
  std::string path;
  ASSERT_TRUE(list->Enumerate(0));
  ASSERT_TRUE(list->Detail(0, &path));
  EXPECT_EQ(std::count(path.begin(), path.end(), '#'), 3) << path;

  std::unique_ptr<StorageDevicePort> device = port.Open(Lower(path));
  ASSERT_NE(device, nullptr);
  // The fake node is a plain file: the request cannot even be issued.
  uint8_t frame[kFrame] = {};
  EXPECT_EQ(device->PassThrough(ScsiDirection::kDataIn, frame, kFrame, 5000),
            PassThroughStatus::kRequestFailed);

  unlink(system_.tree().Path("dev/sg3").c_str());
  EXPECT_EQ(port.Open(path), nullptr);
  EXPECT_EQ(osError_.Get(), kOsErrorDeviceNotConnected);
  EXPECT_EQ(port.Open("\\\\?\\usbstor#cdrom"), nullptr);
}

// ---- SCSI generic completion ----

sg_io_hdr_t Completed(int direction, int resid) {
  sg_io_hdr_t request{};
  request.dxfer_direction = direction;
  request.dxfer_len = kFrame;
  request.resid = resid;
  return request;
}

TEST(SgCompletion, StatusesMapToPassThroughOutcomes) {
  LinuxOsError osError;
  EXPECT_EQ(ClassifySgCompletion(Completed(SG_DXFER_FROM_DEV, 0), osError), PassThroughStatus::kOk);
  EXPECT_EQ(osError.Get(), kOsErrorSuccess);
  // Data out reports no residue worth trusting; only an empty answer counts.
  EXPECT_EQ(ClassifySgCompletion(Completed(SG_DXFER_TO_DEV, kFrame), osError),
            PassThroughStatus::kOk);
  EXPECT_EQ(ClassifySgCompletion(Completed(SG_DXFER_FROM_DEV, kFrame), osError),
            PassThroughStatus::kNothingTransferred);

  sg_io_hdr_t checkCondition = Completed(SG_DXFER_FROM_DEV, 0);
  checkCondition.status = 0x02;
  checkCondition.driver_status = 0x08;  // sense data attached
  EXPECT_EQ(ClassifySgCompletion(checkCondition, osError), PassThroughStatus::kScsiError);

  sg_io_hdr_t hostTimeout = Completed(SG_DXFER_TO_DEV, 0);
  hostTimeout.host_status = 0x03;
  EXPECT_EQ(ClassifySgCompletion(hostTimeout, osError), PassThroughStatus::kWaitTimeout);
  EXPECT_EQ(osError.Get(), kOsErrorTimeout);
  sg_io_hdr_t driverTimeout = Completed(SG_DXFER_TO_DEV, 0);
  driverTimeout.driver_status = 0x06;
  EXPECT_EQ(ClassifySgCompletion(driverTimeout, osError), PassThroughStatus::kWaitTimeout);

  sg_io_hdr_t unplugged = Completed(SG_DXFER_TO_DEV, 0);
  unplugged.host_status = 0x01;
  EXPECT_EQ(ClassifySgCompletion(unplugged, osError), PassThroughStatus::kRequestFailed);
  EXPECT_EQ(osError.Get(), kOsErrorDeviceNotConnected);
}

}  // namespace
}  // namespace quill
