// Opening the first token's logon URL in a browser: the URL from the key
// information with "{ID}" replaced by the UID, the browser chosen by the
// first model byte, started with the command line built here.
#include <cstring>

#include "browser_command.h"
#include "diagnostic_line.h"
#include "main_dlg.h"
#include "utf8.h"

namespace quill {

namespace {

// The browser chosen by the first model byte.
constexpr uint8_t kModelHttpBrowser = 0;
constexpr uint8_t kModelInternetExplorer = 1;
constexpr uint8_t kModelEnvironmentProgram = 2;

}  // namespace

int CMainDlg::OpenLogonUrl() {
  int result = kUrlStarted;
  UsbKeyInfo info;
  if (usbKey_.GetKeyInfo(&info) != 0) {
    result = kUrlNoKeyInfo;
  } else {
    // The URL travels as 8-bit text in code page 936, whatever the system's.
    std::string url =
        ports_.text != nullptr ? ports_.text->ToNarrow(CodePage::kChinese936, info.url) : "";
    url.resize(strnlen(url.c_str(), url.size()));
    char expanded[kExpandedUrlSize] = {};
    if (url.empty()) {
      result = kUrlEmpty;
    } else if (usbKey_.count() > 1) {
      result = kUrlSeveralTokens;
    } else if (usbKey_.ExpandUrl(url.c_str(), expanded, sizeof(expanded)) != 0) {
      result = kUrlExpansionFailed;
    } else {
      std::u16string wideUrl = ports_.text->ToWide(CodePage::kThreadAnsi, expanded);
      result = BuildCommandLine(info.model[0], wideUrl);
      if (result == kUrlStarted &&
          (ports_.processes == nullptr || !ports_.processes->Start(commandLine_))) {
        result = kUrlStartFailed;
      }
    }
  }
  if (result == kUrlStarted) {
    Log("url opened: " + Utf16ToUtf8(commandLine_));
  } else {
    Log("url not opened: result=" + std::to_string(result));
  }
  return result;
}

// Builds commandLine_ for the model byte; 0 when it is ready to start.
//
// The command line lives in a buffer of 260 characters. A command line that
// does not fit whole (a long program path or URL) is refused with 7 rather
// than cut: a cut path or URL would start the wrong thing.
int CMainDlg::BuildCommandLine(uint8_t modelByte, const std::u16string& url) {
  commandLine_.clear();
  std::u16string line;
  switch (modelByte) {
    case kModelHttpBrowser:
    case kModelInternetExplorer:
      if (ports_.registry != nullptr) {
        line = modelByte == kModelHttpBrowser ? ReadHttpCommand(*ports_.registry)
                                              : ReadIeCommand(*ports_.registry);
      }
      line += u" \"" + url + u"\"";
      break;
    case kModelEnvironmentProgram: {
      std::u16string program;
      if (ports_.system == nullptr || ReadEnvironmentCommand(*ports_.system, url, &program) != 0) {
        return kUrlEnvironmentUnusable;
      }
      line = u"\"" + program + u"\"";  // the program starts without the URL
      break;
    }
    default:
      return kUrlStartFailed;
  }
  if (line.size() >= kCommandLineCharacters) return kUrlStartFailed;
  commandLine_ = line;
  return kUrlStarted;
}

}  // namespace quill
