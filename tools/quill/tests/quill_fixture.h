// quill run as a program against virtual tokens served from the test process.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "token.h"
#include "vtoken/server.h"

namespace quill {

struct Outcome {
  int status = -1;  // exit status; 128 + signal when killed
  std::string out;
  std::string err;
};

// A quill process with its own environment, standard input and pipes.
// outputFile, when given, takes standard output instead of a pipe (such as
// /dev/full); extraEnvironment adds "NAME=value" entries.
class QuillProcess {
 public:
  QuillProcess(const std::vector<std::string>& args, const std::string& virtualTokens,
               const std::string& input, const std::string& outputFile = "",
               const std::vector<std::string>& extraEnvironment = {}) {
    // Everything the child needs is prepared before fork.
    std::vector<std::string> environment = extraEnvironment;
    environment.push_back("QUILL_VIRTUAL_TOKENS=" + virtualTokens);
    for (char** entry = environ; *entry != nullptr; ++entry) {
      if (std::string(*entry).rfind("QUILL_VIRTUAL_TOKENS=", 0) != 0) {
        environment.push_back(*entry);
      }
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    std::vector<std::string> words = {QUILL_TOOL_PROGRAM};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);

    int in[2];
    int out[2];
    int err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return;
    const int file = outputFile.empty() ? -1 : open(outputFile.c_str(), O_WRONLY | O_CLOEXEC);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(file >= 0 ? file : out[1], 1);
      dup2(err[1], 2);
      for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    if (file >= 0) close(file);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // Small inputs fit the pipe, so this cannot block on a child that reads nothing.
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) input_failed_ = true;
    close(in[1]);
    out_ = out[0];
    err_ = err[0];
  }

  ~QuillProcess() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }

  void Terminate() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }

  // Collects both outputs until the child closes them (at most 30 s), then
  // its exit status.
  Outcome Finish() {
    Outcome run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool outOpen = true;
    bool errOpen = true;
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
      pollfd fds[2] = {{outOpen ? out_ : -1, POLLIN, 0}, {errOpen ? err_ : -1, POLLIN, 0}};
      if (poll(fds, 2, 100) <= 0) continue;
      char buffer[4096];
      if (fds[0].revents != 0) {
        const ssize_t n = read(out_, buffer, sizeof(buffer));
        if (n > 0) run.out.append(buffer, static_cast<size_t>(n));
        outOpen = n > 0;
      }
      if (fds[1].revents != 0) {
        const ssize_t n = read(err_, buffer, sizeof(buffer));
        if (n > 0) run.err.append(buffer, static_cast<size_t>(n));
        errOpen = n > 0;
      }
    }
    if (outOpen || errOpen) kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (input_failed_) run.status = -2;
    return run;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool reaped_ = false;
  bool input_failed_ = false;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

inline std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "quill_tool_" + std::to_string(getpid()) + "_" + name;
}

class QuillToolTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.Start()) << server.LastError(); }

  int Add(TokenKind kind, TokenModel model, std::optional<TokenUidValue> uid = std::nullopt) {
    TokenSpec spec;
    spec.kind = kind;
    spec.model = model;
    spec.uid = uid;
    const int id = server.AddToken(spec);
    endpoints += (endpoints.empty() ? "" : ",") + server.Endpoint(id);
    return id;
  }

  std::string Uid(int id) {
    char uid[kUidTextSize];
    FormatUid(server.Spec(id).uid.value().data(), uid);
    return uid;
  }

  Outcome Quill(const std::vector<std::string>& args, const std::string& input = "") {
    return QuillProcess(args, endpoints, input).Finish();
  }

  VirtualTokenServer server;
  std::string endpoints;
};

}  // namespace quill
