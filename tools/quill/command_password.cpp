// quill login, change-password and logout.
#include "command_support.h"
#include "commands.h"
#include "failure.h"
#include "password_prompt.h"

namespace quill {
namespace {

const char kLoginHelp[] =
    "usage: quill login [--password TEXT]\n"
    "\n"
    "Verifies the token's password. The password is asked for at the terminal\n"
    "(not shown while typed); when standard input is not a terminal, its first\n"
    "line is the password. --password TEXT also works, but other users of the\n"
    "machine can see command lines, so quill warns about it.\n"
    "\n"
    "The token stays logged in until 'quill logout' or until it is unplugged.\n"
    "Commands that need a verified password also take --login to log in first.\n";

const char kChangeHelp[] =
    "usage: quill change-password [--password OLD] [--new-password NEW]\n"
    "\n"
    "Changes the token's password: asks for the current password, then the new\n"
    "one twice (or reads three lines from standard input when it is not a\n"
    "terminal). Passwords are 1 to 64 bytes.\n";

const char kLogoutHelp[] =
    "usage: quill logout\n"
    "\n"
    "Ends the token's logged-in state (password verified, access key presented).\n";

}  // namespace

int RunLogin(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand("login", kLoginHelp, args, {{"--password", true}}, 0, leading, &run);
  if (status != kContinue) return status;
  run.changesToken = true;  // a wrong password counts towards the lock
  FoundToken token;
  status = SelectTokenFor(run, &token);
  if (status != kContinue) return status;

  std::string password;
  std::string error;
  if (!ObtainPassword(run.args, "--password", "Password: ", &password, &error)) {
    return UsageError(run, error);
  }
  const int result = TokenLogin(token.handle, password.c_str());
  WipePassword(&password);
  if (result != 0) return ReportTokenFailure(run.output, "login");
  run.output.Success(TokenFields(token), "Password verified on token " + token.uid + ".\n");
  return kExitSuccess;
}

int RunChangePassword(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand("change-password", kChangeHelp, args,
                            {{"--password", true}, {"--new-password", true}}, 0, leading, &run);
  if (status != kContinue) return status;
  run.changesToken = true;
  FoundToken token;
  status = SelectTokenFor(run, &token);
  if (status != kContinue) return status;

  std::string oldPassword;
  std::string newPassword;
  std::string repeated;
  std::string error;
  bool read = ObtainPassword(run.args, "--password", "Current password: ", &oldPassword, &error) &&
              ObtainPassword(run.args, "--new-password", "New password: ", &newPassword, &error);
  if (read && !run.args.Has("--new-password")) {
    read = ReadPassword("Repeat the new password: ", &repeated, &error);
    if (read && repeated != newPassword) {
      read = false;
      error = "the two new passwords differ";
    }
  }
  WipePassword(&repeated);
  if (!read) {
    WipePassword(&oldPassword);
    WipePassword(&newPassword);
    return UsageError(run, error);
  }
  const int result = TokenChangePassword(token.handle, oldPassword.c_str(), newPassword.c_str());
  WipePassword(&oldPassword);
  WipePassword(&newPassword);
  if (result != 0) return ReportTokenFailure(run.output, "change-password");
  run.output.Success(TokenFields(token), "Password changed on token " + token.uid + ".\n");
  return kExitSuccess;
}

int RunLogout(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand("logout", kLogoutHelp, args, {}, 0, leading, &run);
  if (status != kContinue) return status;
  run.changesToken = true;
  FoundToken token;
  status = SelectTokenFor(run, &token);
  if (status != kContinue) return status;
  if (TokenLogout(token.handle) != 0) return ReportTokenFailure(run.output, "logout");
  run.output.Success(TokenFields(token), "Logged out of token " + token.uid + ".\n");
  return kExitSuccess;
}

}  // namespace quill
