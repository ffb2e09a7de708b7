// quill-relay-client: the client end of the token relay for trying the relay
// without a remote-desktop session. It listens on 127.0.0.1:PORT, where the
// monitor's loopback channel (QUILL_VIRTUAL_CHANNEL=127.0.0.1:PORT) connects,
// serves one connection at a time, and answers each request from the tokens
// this machine's token library finds (QUILL_VIRTUAL_TOKENS included),
// printing one line per request.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "library_token_access.h"
#include "relay_client.h"
#include "relay_listener.h"

namespace {

constexpr char kProgram[] = "quill-relay-client";

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "usage: %s [--port PORT] [--once]\n"
               "\n"
               "Answers the token relay's requests (FIND, GETID, OPEN, GETDATA, CLOSE)\n"
               "from the tokens of this machine, listening on 127.0.0.1:PORT for the\n"
               "monitor's loopback channel (QUILL_VIRTUAL_CHANNEL=127.0.0.1:PORT).\n"
               "\n"
               "  --port PORT  the port to listen on (default 0: a free port)\n"
               "  --once       serve one connection, then exit\n"
               "  --help       this text\n"
               "\n"
               "Prints \"listening 127.0.0.1:PORT\" when ready, then one line per\n"
               "request (\"request FIND -> OK\"). Tokens are found through the token\n"
               "library, so QUILL_VIRTUAL_TOKENS works as everywhere else.\n",
               kProgram);
}

bool ParsePort(const char* text, uint16_t* port) {
  if (*text == '\0' || std::strlen(text) > 5) return false;
  unsigned long value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + static_cast<unsigned long>(*c - '0');
  }
  if (value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

// The command word as received, printable: the peer is not ours to trust.
std::string Printable(const std::string& command) {
  if (command.empty()) return "?";
  std::string text = command;
  for (char& c : text) {
    if (c < 0x20 || c > 0x7E) c = '?';
  }
  return text;
}

void PrintLine(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  uint16_t port = 0;
  bool once = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      PrintUsage(stdout);
      return 0;
    }
    if (argument == "--once") {
      once = true;
    } else if (argument == "--port" && i + 1 < argc) {
      if (!ParsePort(argv[++i], &port)) {
        std::fprintf(stderr, "%s: --port wants a number from 0 to 65535, not \"%s\"\n", kProgram,
                     argv[i]);
        return 2;
      }
    } else {
      std::fprintf(stderr, "%s: unknown or incomplete option \"%s\" (try --help)\n", kProgram,
                   argument.c_str());
      return 2;
    }
  }

  quill::RelayListener listener;
  std::string error;
  if (!listener.Listen(port, &error)) {
    std::fprintf(stderr, "%s: cannot listen on 127.0.0.1:%u: %s\n", kProgram, port, error.c_str());
    return 1;
  }
  PrintLine("listening 127.0.0.1:" + std::to_string(listener.Port()));

  quill::LibraryTokenAccess tokens;
  quill::RelayClient client(tokens);
  do {
    client.Reset();
    std::vector<quill::RelayAnswer> answers;
    const quill::ServeEnd end = listener.ServeOne([&](const uint8_t* data, size_t length,
                                                      std::string* reply) {
      answers.clear();
      client.Receive(data, length, &answers);
      for (const quill::RelayAnswer& answer : answers) {
        PrintLine("request " + Printable(answer.command) + " -> " + (answer.ok ? "OK" : "ERROR"));
        *reply += answer.reply;
      }
      return true;
    });
    if (end == quill::ServeEnd::kAcceptFailed) {
      std::fprintf(stderr, "%s: accepting a connection failed\n", kProgram);
      return 1;
    }
    PrintLine(end == quill::ServeEnd::kWriteFailed ? "connection lost (reply not written)"
                                                   : "connection closed");
  } while (!once);
  return 0;
}
