// The Windows edition's name and whether the 32-bit monitor runs on 64-bit
// Windows.
#include "helper_constants.h"
#include "system_helper.h"

namespace quill {

namespace {

constexpr uint32_t kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformNt = 2;       // VER_PLATFORM_WIN32_NT
constexpr uint8_t kWorkstation = 1;       // VER_NT_WORKSTATION

std::u16string Windows4Name(uint32_t minor, uint32_t platformId) {
  if (minor == 0 && platformId == kPlatformNt) return u"Microsoft Windows NT 4.0";
  if (minor == 0 && platformId == kPlatformWindows) return u"Microsoft Windows 95";
  if (minor == 10) return u"Microsoft Windows 98";
  if (minor == 90) return u"Microsoft Windows Me";
  return u"";
}

std::u16string Windows5Name(uint32_t minor, bool workstation, SystemPort& system) {
  if (minor == 0) return u"Microsoft Windows 2000";
  if (minor == 1) return u"Microsoft Windows XP";
  if (minor != 2) return u"";
  if (workstation && system.ProcessorArchitecture() == kProcessorArchitectureAmd64) {
    return u"Microsoft Windows XP Professional x64 Edition";
  }
  return system.ServerR2Metric() == 0 ? u"Microsoft Windows Server 2003"
                                      : u"Microsoft Windows Server 2003 R2";
}

std::u16string Windows6Name(uint32_t minor, bool workstation) {
  if (minor == 0)
    return workstation ? u"Microsoft Windows Vista" : u"Microsoft Windows Server 2008";
  if (minor == 1) {
    return workstation ? u"Microsoft Windows 7" : u"Microsoft Windows Server 2008 R2";
  }
  if (minor == 2 && workstation) return u"Microsoft Windows 8";
  return u"";
}

}  // namespace

std::u16string CSystemHelper::GetOsName() {
  OsVersion version;
  if (!ports_.system->GetVersion(&version)) return helper::kVersionFailed;
  const bool workstation = version.productType == kWorkstation;
  switch (version.major) {
    case 4:
      return Windows4Name(version.minor, version.platformId);
    case 5:
      return Windows5Name(version.minor, workstation, *ports_.system);
    case 6:
      return Windows6Name(version.minor, workstation);
    default:
      return helper::kUnknownOsChinese;
  }
}

bool CSystemHelper::IsWow64() {
  if (!ports_.system->HasIsWow64Process()) return false;
  return ports_.system->IsWow64Process();
}

}  // namespace quill
