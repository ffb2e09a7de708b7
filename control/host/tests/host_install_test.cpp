// quill-host --install / --uninstall with the home folder in a temporary
// place: the manifests each browser reads.
#include <limits.h>
#include <stdlib.h>

#include "extension_ids.h"
#include "host_fixture.h"

namespace quill::host {
namespace {

class HostInstallTest : public HostTest {
 protected:
  int Run(const std::string& word) {
    ChildProcess program;
    ChildProcess::Options options;
    options.arguments = {word};
    options.environment = {"HOME=" + folder.path()};
    options.errorFile = folder.File("stderr");
    std::string error;
    EXPECT_TRUE(program.Start(QUILL_HOST_PROGRAM, options, &error)) << error;
    program.CloseInput();
    output.clear();
    program.ReadToEnd(&output, kReplyTimeoutMs);
    return program.Wait(kReplyTimeoutMs);
  }
  Json Manifest(const std::string& folderName) {
    const std::string path = folder.File(folderName + "/com.quill.host.json");
    return Json::parse(ReadText(path), nullptr, false);
  }
  static std::string HostPath() {
    char resolved[PATH_MAX];
    return realpath(QUILL_HOST_PROGRAM, resolved) ? resolved : "";
  }
  std::string output;
};

const char* const kChromiumFolders[] = {
    ".config/google-chrome/NativeMessagingHosts",
    ".config/chromium/NativeMessagingHosts",
    ".config/microsoft-edge/NativeMessagingHosts",
};
const char kFirefoxFolder[] = ".mozilla/native-messaging-hosts";

TEST_F(HostInstallTest, WritesAManifestForEachBrowser) {
  ASSERT_EQ(Run("--install"), 0) << Errors();
  for (const char* name : kChromiumFolders) {
    const Json manifest = Manifest(name);
    ASSERT_TRUE(manifest.is_object()) << name;
    EXPECT_EQ(manifest["name"], "com.quill.host");
    EXPECT_EQ(manifest["path"], HostPath());
    EXPECT_EQ(manifest["type"], "stdio");
    EXPECT_EQ(manifest["allowed_origins"],
              Json::array({std::string("chrome-extension://") + kChromeExtensionId + "/"}));
    EXPECT_FALSE(manifest.contains("allowed_extensions"));
    EXPECT_NE(output.find(folder.File(name)), std::string::npos) << output;
  }
  const Json firefox = Manifest(kFirefoxFolder);
  ASSERT_TRUE(firefox.is_object());
  EXPECT_EQ(firefox["name"], "com.quill.host");
  EXPECT_EQ(firefox["path"], HostPath());
  EXPECT_EQ(firefox["type"], "stdio");
  EXPECT_EQ(firefox["allowed_extensions"], Json::array({kFirefoxExtensionId}));
  EXPECT_FALSE(firefox.contains("allowed_origins"));

  // Installing again replaces the files.
  EXPECT_EQ(Run("--install"), 0);
}

TEST_F(HostInstallTest, ChromeExtensionIdIsWellFormed) {
  const std::string id = kChromeExtensionId;
  EXPECT_EQ(id.size(), 32u);
  EXPECT_EQ(id.find_first_not_of("abcdefghijklmnop"), std::string::npos);
}

TEST_F(HostInstallTest, UninstallRemovesWhatInstallWrote) {
  ASSERT_EQ(Run("--install"), 0);
  const std::string unrelated = folder.File(std::string(kFirefoxFolder) + "/other.json");
  std::ofstream(unrelated) << "{}";
  EXPECT_EQ(Run("--uninstall"), 0) << Errors();
  for (const char* name : kChromiumFolders) {
    EXPECT_EQ(access(folder.File(std::string(name) + "/com.quill.host.json").c_str(), F_OK), -1);
  }
  EXPECT_EQ(access(folder.File(std::string(kFirefoxFolder) + "/com.quill.host.json").c_str(), F_OK),
            -1);
  EXPECT_EQ(access(unrelated.c_str(), F_OK), 0);
  // Nothing left to remove is no failure.
  EXPECT_EQ(Run("--uninstall"), 0);
}

TEST_F(HostInstallTest, FailsWhenTheFoldersCannotBeMade) {
  std::ofstream(folder.File(".mozilla")) << "a file where a folder should be";
  EXPECT_EQ(Run("--install"), 1);
  EXPECT_NE(Errors().find(".mozilla"), std::string::npos) << Errors();
}

}  // namespace
}  // namespace quill::host
