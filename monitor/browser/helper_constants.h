// The fixed texts CSystemHelper works with: registry paths and value names,
// file names below the monitor directory, and the string table entries it
// loads. Registry paths are spelled exactly as the monitor has always used
// them, trailing backslashes included.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quill::helper {

// The longest path a 260-character path buffer holds with its terminator.
constexpr size_t kMaxPathCharacters = 259;

// String table entries.
constexpr int kIdsControlClassId = 117;  // class identifier without braces
constexpr int kIdsMonitorExe = 124;      // "lumoMonitor.exe"
constexpr int kIdsRunValueName = 125;    // "lumoMonitor"
constexpr int kIdsExeNotFound = 126;
constexpr int kIdsFirefoxPackage = 127;  // "lumoPlugin.xpi"
constexpr int kIdsChromePackage = 128;   // "lumoPlugin.crx"
constexpr int kIdsControl64 = 139;       // "lumoActiveX.x64.ocx"
constexpr int kIdsControl32 = 140;       // "lumoActiveX.win32.ocx"
constexpr int kIdsInformation = 141;
constexpr int kIdsRepairQuestion = 142;
constexpr int kIdsLogonProviderValue = 151;  // "LastLoggedOnProvider"

// Windows edition.
constexpr char16_t kUnknownOsChinese[] = u"未知操作系统";
constexpr char16_t kVersionFailed[] = u"UnKnown OS";

// Internet Explorer.
constexpr char16_t kIeKey[] = u"Software\\Microsoft\\Internet Explorer";
constexpr char16_t kIeServiceVersion[] = u"svcVersion";
constexpr char16_t kIeVersion[] = u"Version";
constexpr size_t kIeVersionBytes = 255;
constexpr size_t kInprocServerBytes = 1040;
constexpr char16_t kAllSitesKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
    u"{6AAEEBD3-838D-4A35-9571-26EFC79882ED}\\iexplore\\AllowedDomains\\*";
constexpr char16_t kInternetZoneKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
constexpr char16_t kProtectedModeAction[] = u"2500";
constexpr uint32_t kProtectedModeOff = 3;
constexpr char16_t kIeMainKey[] = u"Software\\Microsoft\\Internet Explorer\\Main";
constexpr char16_t kNoProtectedModeBanner[] = u"NoProtectedModeBanner";

// Firefox.
constexpr char16_t kFirefoxProbeKey[] = u"Software\\Classes\\FirefoxHTML\\shell\\open\\command\\";
constexpr char16_t kFirefoxCommandKey[] = u"Software\\Classes\\FirefoxHTML\\shell\\open\\command";
constexpr size_t kBrowserCommandBytes = 260;
constexpr char16_t kFirefoxShortcut[] = u"Mozilla Firefox.lnk";

// Chrome.
constexpr char16_t kChromeProbeKey[] = u"Software\\Google\\Update\\";
constexpr char16_t kChromeUninstallKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome";
constexpr char16_t kChromeDisplayIcon[] = u"DisplayIcon";
constexpr char16_t kChromeInstallSwitch[] = u"\"-enable-easy-off-store-extension-install\"";

// Files below the monitor directory.
constexpr char16_t kIeFolder[] = u"\\IE\\";
constexpr char16_t kMozillaFolder[] = u"\\Mozilla\\";
constexpr char16_t kChromeFolder[] = u"\\Chrome\\";
constexpr char16_t kRegistrationHelper32[] = u"plugreg32.exe";
constexpr char16_t kRegistrationHelper64[] = u"plugreg64.exe";

// Auto start and settings.
constexpr char16_t kRunKeyForReading[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kRunKeyForWriting[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr size_t kRunValueBytes = 2048;
constexpr char16_t kSettingsKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\"
    u"{6AAEEBD3-838D-4A35-9571-26EFC79882ED}\\monitor";
constexpr char16_t kAdvancedPageValue[] = u"AdvancedPage";
constexpr size_t kSettingBytes = 255;

// The last logon's credential provider.
constexpr char16_t kLogonUiKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\LogonUI";
constexpr size_t kLogonProviderBytes = 255;
constexpr char16_t kExpectedLogonProvider[] = u"{007F850C-06D0-4D2F-B830-6DEB50D5A1E3}";

}  // namespace quill::helper
