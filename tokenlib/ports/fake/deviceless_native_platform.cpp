// Stands in for the native platform in unit-test programs that install their
// own fake platform: a machine with no devices at all.
#include "fake_platform.h"

namespace quill {

Platform& NativePlatform() {
  static fake::FakeOsError osError;
  static fake::FakeClock clock;
  static fake::FakeExchangeLock lock;
  static fake::FakeHidPort hid(osError);
  static fake::FakeStoragePort storage(osError);
  static Platform platform{&osError, &clock, &lock, &hid, &storage, nullptr};
  return platform;
}

}  // namespace quill
