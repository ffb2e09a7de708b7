// quill-host: the control's members served to browsers over native
// messaging (framed JSON on standard input and output), and its own
// registration with the browsers of the current user.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "askpass.h"
#include "askpass_dialog.h"
#include "host_platform.h"
#include "policy_source.h"
#include "registration.h"
#include "serve.h"
#include "session.h"

namespace quill::host {
namespace {

constexpr char kUsage[] =
    "usage: quill-host              serve native-messaging requests on stdin/stdout\n"
    "       quill-host --install    register the host with the user's browsers\n"
    "       quill-host --uninstall  remove that registration\n";

int Register(RegistrationAction action) {
  std::vector<std::string> done;
  std::vector<std::string> failed;
  const bool ok = RegisterHost(action, &done, &failed);
  for (const std::string& line : done) std::printf("%s\n", line.c_str());
  for (const std::string& line : failed) std::fprintf(stderr, "quill-host: %s\n", line.c_str());
  return ok ? 0 : 1;
}

int Serve() {
  HostStdio stdio;
  std::string error;
  if (!OpenHostStdio(&stdio, &error)) {
    std::fprintf(stderr, "quill-host: %s\n", error.c_str());
    return kExitWriteFailed;
  }
  // The control on this machine's ports, with the askpass program as its
  // login dialog.
  EnvironmentAskpass askpass;
  AskpassLoginDialog dialog(askpass, HostUiLanguage(), [](const std::string& line) {
    std::fprintf(stderr, "quill-host: %s\n", line.c_str());
  });
  ControlPlatform platform = NativeControlPlatform();
  platform.dialog = &dialog;
  ResetControl(platform);

  // Web pages' requests are checked against this machine's origin policy.
  const std::unique_ptr<PolicySource> policy = MachinePolicySource();
  std::string diagnostic;
  const int status = ServeRequests(*stdio.requests, *stdio.replies, *policy, &diagnostic);
  if (!diagnostic.empty()) std::fprintf(stderr, "%s\n", diagnostic.c_str());
  return status;
}

}  // namespace
}  // namespace quill::host

int main(int argc, char** argv) {
  using quill::host::RegistrationAction;
  // Browsers pass arguments of their own (the caller's origin, the manifest
  // path, a parent window): only these words change what the host does.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--install") == 0) {
      return quill::host::Register(RegistrationAction::kInstall);
    }
    if (std::strcmp(argv[i], "--uninstall") == 0) {
      return quill::host::Register(RegistrationAction::kUninstall);
    }
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(quill::host::kUsage, stdout);
      return 0;
    }
  }
  return quill::host::Serve();
}
