// Discovery and the device table.
#include <gtest/gtest.h>

#include "binding.h"
#include "device_table.h"
#include "fake_platform.h"
#include "library_state.h"
#include "token.h"

namespace quill {
namespace {

using fake::Step;

constexpr uint16_t kVendor = 0x04B4;
constexpr uint16_t kProductA = 0xB328;
constexpr uint16_t kProductB = 0xB812;

struct Found {
  int result = -1;
  int count = -1;
  TokenHandle handles[kMaxTokens] = {};
};

Found Find(TokenModel model) {
  Found found;
  found.result = TokenFind(model, found.handles, &found.count);
  return found;
}

void MakeSilent(fake::ScriptedToken& token) {
  for (int i = 0; i < 3; ++i) token.Then(Step::Failing(Step::Transport::kReadTimeout));
}

TEST(Discovery, NoTokenGivesOneCountZeroAndCode84) {
  fake::FakePlatform fake;
  fake.AddHidToken(0x1234, kProductA);  // another vendor's device
  const Found found = Find(TokenModel::kA);
  EXPECT_EQ(found.result, 1);
  EXPECT_EQ(found.count, 0);
  EXPECT_EQ(TokenGetLastError(), 84);
}

TEST(Discovery, TokenThatDoesNotAnswerIsLeftOut) {
  fake::FakePlatform fake;
  fake.AddHidToken(kVendor, kProductA);
  MakeSilent(*fake.AddHidToken(kVendor, kProductA));
  fake.AddHidToken(kVendor, kProductA);
  const Found found = Find(TokenModel::kA);
  EXPECT_EQ(found.result, 0);
  ASSERT_EQ(found.count, 2);
  EXPECT_EQ(found.handles[1], found.handles[0] + 2) << "handles follow table positions";
  EXPECT_EQ(TokenGetLastError(), 0);
}

TEST(Discovery, AllSilentGivesOneWithAnEmptyStore) {
  fake::FakePlatform fake;
  MakeSilent(*fake.AddHidToken(kVendor, kProductA));
  const Found found = Find(TokenModel::kA);
  EXPECT_EQ(found.result, 1);
  EXPECT_EQ(found.count, 0);
}

TEST(Discovery, ModelsAreTellApartByProductAndMarker) {
  fake::FakePlatform fake;
  fake.AddHidToken(kVendor, kProductA);
  fake.AddHidToken(kVendor, kProductB);
  fake.AddStorageToken("\\\\?\\usbstor#cdrom#vid_04b4pid_b826&1#{53f56308}");
  EXPECT_EQ(Find(TokenModel::kA).count, 1);
  EXPECT_EQ(Find(TokenModel::kB).count, 2);
}

TEST(Discovery, StorageFaceFirstThenHidWithConsecutiveHandles) {
  fake::FakePlatform fake;
  auto hid = fake.AddHidToken(kVendor, kProductA);
  auto storage = fake.AddStorageToken("\\\\?\\USBSTOR#CdRom&Ven_Q#VID_04B4PID_B708&0#{53F56308}");
  const Found found = Find(TokenModel::kA);
  ASSERT_EQ(found.count, 2) << "an upper-case marker in a path still matches";
  const TokenDeviceEntry* first = FindDeviceEntry(found.handles[0]);
  const TokenDeviceEntry* second = FindDeviceEntry(found.handles[1]);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->transport, TokenTransport::kStoragePath);
  EXPECT_EQ(second->transport, TokenTransport::kHid);
  EXPECT_EQ(second->handle, first->handle + 1);
  EXPECT_EQ(Library().storageSlots[0].devicePath,
            "\\\\?\\usbstor#cdrom&ven_q#vid_04b4pid_b708&0#{53f56308}");
  EXPECT_EQ(Library().storageSlots[0].id, 1000);
  EXPECT_EQ(storage->Commands().size(), 1u);
  EXPECT_EQ(hid->Commands().size(), 1u);
}

TEST(Discovery, EveryDiscoveryDrawsANewHandleBase) {
  fake::FakePlatform fake;
  fake.AddHidToken(kVendor, kProductA);
  const Found first = Find(TokenModel::kA);
  fake.clock.now += 1234567;
  const Found second = Find(TokenModel::kA);
  ASSERT_EQ(first.count, 1);
  ASSERT_EQ(second.count, 1);
  ASSERT_NE(first.handles[0], second.handles[0]);
  char uid[kUidTextSize];
  EXPECT_EQ(TokenGetUID(first.handles[0], uid), 1);
  EXPECT_EQ(Library().store.At(0), 80);
  EXPECT_EQ(Library().store.At(1), 81);
  EXPECT_EQ(TokenGetUID(second.handles[0], uid), 0);
}

TEST(Discovery, HandleZeroAndMinusOneAreNeverFound) {
  fake::FakePlatform fake;
  fake.AddHidToken(kVendor, kProductA);
  Find(TokenModel::kA);
  EXPECT_EQ(FindDeviceEntry(0), nullptr);
  EXPECT_EQ(FindDeviceEntry(-1), nullptr);
  EXPECT_EQ(DeviceHandleAt(1), -1);
  EXPECT_EQ(DeviceHandleAt(-1), -1);
  TokenSetLastError(7);
  EXPECT_GT(DeviceHandleAt(0), 0);
  EXPECT_EQ(TokenGetLastError(), 0);
}

TEST(Discovery, HandleBaseStaysPositiveWhateverTheDraw) {
  fake::FakePlatform fake;
  fake.AddHidToken(kVendor, kProductA);
  fake.clock.step = 0;
  for (uint64_t low = 0; low < (1ull << 32); low += 0x00F0F0F1ull) {
    fake.clock.now = low;
    const Found found = Find(TokenModel::kA);
    ASSERT_EQ(found.count, 1);
    ASSERT_GT(found.handles[0], 0);
    ASSERT_LE(static_cast<int64_t>(found.handles[0]) + 31, INT32_MAX);
  }
}

TEST(Discovery, TableHoldsAtMost32Entries) {
  fake::FakePlatform fake;
  for (int i = 0; i < 20; ++i) fake.AddStorageToken("cdrom#vid_04b4pid_b708#" + std::to_string(i));
  for (int i = 0; i < 20; ++i) fake.AddHidToken(kVendor, kProductA);
  const Found found = Find(TokenModel::kA);
  EXPECT_EQ(found.count, 32);
  EXPECT_EQ(Library().entryCount, 32);
}

TEST(Discovery, UnusableMembersAreSkipped) {
  fake::FakePlatform fake;
  fake::FakeInterface broken;
  broken.vendorId = kVendor;
  broken.productId = kProductA;
  broken.path = "a";
  broken.detailFails = true;
  fake.hid.interfaces.push_back(broken);
  broken.path = "b";
  broken.detailFails = false;
  broken.openFails = true;
  fake.hid.interfaces.push_back(broken);
  broken.path = "c";
  broken.openFails = false;
  broken.attributesFail = true;
  fake.hid.interfaces.push_back(broken);
  fake.AddHidToken(kVendor, kProductA);

  fake::FakeInterface cdrom;
  cdrom.path = "x#vid_04b4pid_b708";
  cdrom.enumerateFails = true;
  fake.storage.interfaces.push_back(cdrom);
  cdrom.path = "y#vid_04b4pid_b708";
  cdrom.enumerateFails = false;
  cdrom.detailFails = true;
  fake.storage.interfaces.push_back(cdrom);
  fake.AddStorageToken("z#vid_04b4pid_b708");

  const Found found = Find(TokenModel::kA);
  EXPECT_EQ(found.count, 2);
}

TEST(Discovery, FailedBindingLeavesOnlyTheStorageFace) {
  fake::FakePlatform fake;
  fake.AddHidToken(kVendor, kProductA);
  fake.AddStorageToken("z#vid_04b4pid_b708");
  fake.hid.bindStatus = BindStatus::kHidFunctionMissing;
  EXPECT_EQ(Find(TokenModel::kA).count, 1);
  fake.hid.bindStatus = BindStatus::kBound;
  EXPECT_EQ(Find(TokenModel::kA).count, 2) << "binding is tried again at the next discovery";
}

TEST(Discovery, MissingCdromListIsRecordedAndHidStillWorks) {
  fake::FakePlatform fake;
  fake.storage.listFails = true;
  fake.AddHidToken(kVendor, kProductA);
  EXPECT_EQ(Find(TokenModel::kA).count, 1);
}

TEST(Binding, EachMissingPieceHasItsResultAndCode) {
  fake::FakePlatform fake;
  const std::tuple<BindStatus, int, int> table[] = {
      {BindStatus::kHidLibraryMissing, 1, 16},  {BindStatus::kSetupLibraryMissing, 2, 17},
      {BindStatus::kHidFunctionMissing, 3, 18}, {BindStatus::kSetupFunctionMissing, 4, 19},
      {BindStatus::kNoSystemDirectory, 5, 0},   {BindStatus::kBound, 0, 0}};
  for (const auto& [status, result, code] : table) {
    TokenSetLastError(0);
    Library().bound = false;
    fake.hid.bindStatus = status;
    EXPECT_EQ(BindPlatform(), result);
    EXPECT_EQ(TokenGetLastError(), code);
  }
  const int binds = fake.hid.binds;
  EXPECT_EQ(BindPlatform(), 0);
  EXPECT_EQ(fake.hid.binds, binds) << "binding again while bound does nothing";
}

TEST(DeviceState, SetAndRequire) {
  fake::FakePlatform fake;
  fake.AddHidToken(kVendor, kProductA);
  const Found found = Find(TokenModel::kA);
  const TokenHandle handle = found.handles[0];
  EXPECT_EQ(RequireDeviceState(handle, kStatePresent), 0);
  EXPECT_EQ(RequireDeviceState(handle, kStatePasswordVerified), 2);
  EXPECT_EQ(TokenGetLastError(), 81);
  EXPECT_EQ(SetDeviceState(handle, kStatePasswordVerified), 0);
  EXPECT_EQ(RequireDeviceState(handle, kStatePasswordVerified), 0);
  TokenSetLastError(0);
  EXPECT_EQ(SetDeviceState(handle + 100, kStatePresent), 1);
  EXPECT_EQ(RequireDeviceState(0, kStatePresent), 1);
  EXPECT_EQ(TokenGetLastError(), 80);
}

TEST(Uid, IsTheDigestOfTheAnswerInLowercaseHex) {
  fake::FakePlatform fake;
  auto token = fake.AddHidToken(kVendor, kProductA);
  std::array<uint8_t, 32> value{};
  token->SetUidAnswer(value);  // 32 zero bytes
  const Found found = Find(TokenModel::kA);
  char uid[kUidTextSize];
  ASSERT_EQ(TokenGetUID(found.handles[0], uid), 0);
  EXPECT_STREQ(uid, "70bc8f4b72a86921468bf8e8441dce51");
}

}  // namespace
}  // namespace quill
