// Identifiers of the string table entries the monitor's logic loads (k
// names: the program's resource.h has the IDS_ macros).
#pragma once

namespace quill {

// Basic page.
constexpr int kIdsOperationSystem = 104;
constexpr int kIdsIeBrowser = 105;
constexpr int kIdsVersion = 106;
constexpr int kIdsIePlugin = 107;
constexpr int kIdsInstalled = 108;
constexpr int kIdsNotInstalled = 109;
constexpr int kIdsFirefoxBrowser = 110;
constexpr int kIdsChromeBrowser = 111;
constexpr int kIdsKeyConnection = 112;
constexpr int kIdsDisconnected = 113;
constexpr int kIdsConnected = 114;
constexpr int kIdsKeyName = 115;
constexpr int kIdsLogonUrl = 116;
constexpr int kIdsCompany = 118;
constexpr int kIdsComments = 119;
constexpr int kIdsKeyLocked = 148;

// Device identification.
constexpr int kIdsProductB328 = 122;
constexpr int kIdsVendor = 123;
constexpr int kIdsProductB708 = 147;
constexpr int kIdsProductB812 = 149;
constexpr int kIdsProductB826 = 150;

// Tabs.
constexpr int kIdsTabBasic = 145;
constexpr int kIdsTabAdvanced = 146;

// Advanced page and the shared captions.
constexpr int kIdsMozillaFilesMissing = 129;
constexpr int kIdsChromeFilesMissing = 130;
constexpr int kIdsSaveFailed = 131;
constexpr int kIdsSaveDone = 132;
constexpr int kIdsAutoStartRemoved = 134;
constexpr int kIdsInformation = 135;
constexpr int kIdsQuitQuestion = 136;
constexpr int kIdsResult = 137;
constexpr int kIdsFixFailed = 138;
constexpr int kIdsChromeRunning = 160;
constexpr int kIdsAppName = 144;

// Change Password.
constexpr int kIdsChangePassword = 152;
constexpr int kIdsWrongOldPassword = 153;
constexpr int kIdsConfirmationDiffers = 154;
constexpr int kIdsChangeFailed = 155;
constexpr int kIdsPasswordChanged = 156;
constexpr int kIdsKeyNotFound = 157;

}  // namespace quill
