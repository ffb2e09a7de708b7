#include "fake_system.h"

namespace quill::fake {

namespace {
constexpr size_t kModulePathCharacters = 260;
}  // namespace

FakeSystem::FakeSystem() {
  version.major = 6;
  version.minor = 1;
  version.platformId = 2;   // VER_PLATFORM_WIN32_NT
  version.productType = 1;  // VER_NT_WORKSTATION
}

bool FakeSystem::GetVersion(OsVersion* out) {
  if (!versionAvailable) return false;
  *out = version;
  return true;
}

std::u16string FakeSystem::ModuleFileName() {
  return moduleFileName.substr(0, kModulePathCharacters);
}

bool FakeSystem::CommonProgramsFolder(std::u16string* path) {
  if (!commonProgramsKnown) return false;
  *path = commonPrograms;
  return true;
}

bool FakeSystem::GetEnvironment(const std::u16string& name, std::u16string* value) {
  auto found = environment.find(name);
  if (found == environment.end()) return false;
  *value = found->second;
  return true;
}

}  // namespace quill::fake
