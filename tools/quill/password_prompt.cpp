#include "password_prompt.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "token.h"

namespace quill {
namespace {

// Longest line kept while reading; the rest of a longer line is skipped.
constexpr size_t kMaxLineKept = 1024;

// The terminal settings to put back if a signal ends the program while echo
// is off. Process-wide because the terminal is.
termios savedTerminal;
volatile sig_atomic_t echoIsOff = 0;

constexpr int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void RestoreTerminalAndDie(int signalNumber) {
  if (echoIsOff) tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

// One line without its line end; false at end of input before any byte.
bool ReadLine(std::string* line, bool* tooLong) {
  line->clear();
  *tooLong = false;
  int c = 0;
  bool any = false;
  while ((c = std::getc(stdin)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line->size() < kMaxLineKept) {
      *line += static_cast<char>(c);
    } else {
      *tooLong = true;
    }
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return any;
}

bool ReadLineWithoutEcho(const std::string& prompt, std::string* line, bool* tooLong) {
  std::fprintf(stderr, "%s", prompt.c_str());
  std::fflush(stderr);
  struct sigaction restoring = {};
  restoring.sa_handler = RestoreTerminalAndDie;
  sigemptyset(&restoring.sa_mask);
  struct sigaction previous[sizeof(kRestoringSignals) / sizeof(kRestoringSignals[0])];
  bool quiet = false;
  if (tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
    for (size_t i = 0; i < sizeof(kRestoringSignals) / sizeof(kRestoringSignals[0]); ++i) {
      sigaction(kRestoringSignals[i], &restoring, &previous[i]);
    }
    termios noEcho = savedTerminal;
    noEcho.c_lflag &= static_cast<tcflag_t>(~ECHO);
    echoIsOff = 1;
    quiet = tcsetattr(STDIN_FILENO, TCSAFLUSH, &noEcho) == 0;
  }
  const bool read = ReadLine(line, tooLong);
  if (quiet) tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
  if (echoIsOff) {
    echoIsOff = 0;
    for (size_t i = 0; i < sizeof(kRestoringSignals) / sizeof(kRestoringSignals[0]); ++i) {
      sigaction(kRestoringSignals[i], &previous[i], nullptr);
    }
  }
  std::fputc('\n', stderr);
  return read;
}

bool CheckPassword(const std::string& password, bool tooLong, std::string* error) {
  if (password.empty()) {
    *error = "the password is empty";
  } else if (tooLong || password.size() > kMaxPasswordLength) {
    *error = "the password is longer than " + std::to_string(kMaxPasswordLength) + " bytes";
  } else if (password.find('\0') != std::string::npos) {
    *error = "the password contains a zero byte";
  } else {
    return true;
  }
  return false;
}

}  // namespace

bool ReadPassword(const std::string& prompt, std::string* password, std::string* error) {
  bool tooLong = false;
  const bool read = isatty(STDIN_FILENO) == 1 ? ReadLineWithoutEcho(prompt, password, &tooLong)
                                              : ReadLine(password, &tooLong);
  if (!read) {
    *error = "no password given (end of input)";
    return false;
  }
  if (!CheckPassword(*password, tooLong, error)) {
    WipePassword(password);
    return false;
  }
  return true;
}

bool ObtainPassword(const ParsedArgs& args, const std::string& option, const std::string& prompt,
                    std::string* password, std::string* error) {
  if (!args.Has(option)) return ReadPassword(prompt, password, error);
  std::fprintf(stderr,
               "quill: warning: a password given with %s is visible to other users of this "
               "machine\n",
               option.c_str());
  *password = args.Value(option);
  return CheckPassword(*password, false, error);
}

void WipePassword(std::string* password) {
  volatile char* bytes = password->empty() ? nullptr : &(*password)[0];
  for (size_t i = 0; i < password->size(); ++i) bytes[i] = 0;
  password->clear();
}

}  // namespace quill
