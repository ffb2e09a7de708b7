// quill-host-client: starts quill-host, sends it requests read one JSON
// object per line, and prints each request and its reply.
//
//   quill-host-client HOST [REQUESTS]
//
// REQUESTS is a file (default, or "-": standard input). Empty lines and lines
// starting with '#' are skipped. Exit status: 0 when every request got its
// reply and the host ended with 0; 1 otherwise; 2 for a bad command line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "child_process.h"
#include "host_channel.h"

namespace {

constexpr char kUsage[] = "usage: quill-host-client HOST [REQUESTS]\n";

int Converse(quill::host::ChildProcess& host, std::istream& requests) {
  using quill::host::PipeStatus;
  std::string line;
  while (std::getline(requests, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::cout << "-> " << line << std::endl;
    std::string reply;
    if (!quill::host::SendRequest(host, line) ||
        quill::host::ReceiveReply(host, &reply, -1) != PipeStatus::kDone) {
      std::cerr << "quill-host-client: the host ended without a reply" << std::endl;
      return 1;
    }
    std::cout << "<- " << reply << std::endl;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help") {
    std::fputs(kUsage, argc < 2 || argc > 3 ? stderr : stdout);
    return argc < 2 || argc > 3 ? 2 : 0;
  }
  std::ifstream file;
  std::istream* requests = &std::cin;
  if (argc == 3 && std::string(argv[2]) != "-") {
    file.open(argv[2]);
    if (!file) {
      std::cerr << "quill-host-client: cannot read " << argv[2] << std::endl;
      return 2;
    }
    requests = &file;
  }

  quill::host::ChildProcess host;
  std::string error;
  if (!host.Start(argv[1], {}, &error)) {
    std::cerr << "quill-host-client: cannot start " << error << std::endl;
    return 1;
  }
  const int conversation = Converse(host, *requests);
  host.CloseInput();
  const int status = host.Wait(-1);
  if (status != 0)
    std::cerr << "quill-host-client: the host ended with status " << status << std::endl;
  return conversation == 0 && status == 0 ? 0 : 1;
}
