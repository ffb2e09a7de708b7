// quill-vtoken run as a process: ready lines, control socket, exit status.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "raw_client.h"
#include "socket_io.h"
#include "state_file.h"

namespace quill {
namespace {

// Runs the program with its own frame key, so that the test also shows the
// key is taken from QUILL_FRAME_KEY.
const FrameKey kProgramFrameKey = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

class Program {
 public:
  explicit Program(const std::vector<std::string>& args) {
    // Everything the child needs is prepared before fork.
    std::vector<std::string> environment = {"QUILL_FRAME_KEY=0123456789abcdef"};
    for (char** entry = environ; *entry != nullptr; ++entry) {
      if (std::string(*entry).rfind("QUILL_FRAME_KEY=", 0) != 0) environment.push_back(*entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    std::vector<std::string> words = {QUILL_VTOKEN_PROGRAM};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);

    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(err[1], 2);
      close(out[0]);
      close(err[0]);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }

  ~Program() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }

  // The next stdout line without its line feed; empty at the end or after 10 s.
  std::string ReadLine() {
    std::string line;
    char c;
    pollfd waiting = {out_, POLLIN, 0};
    while (poll(&waiting, 1, 10000) > 0 && read(out_, &c, 1) == 1) {
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }

  std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof(buffer))) > 0) text.append(buffer, static_cast<size_t>(n));
    return text;
  }

  // Exit status, or -1 when it did not end within 10 s.
  int Wait() {
    for (int i = 0; i < 1000 && status_ < 0; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    return status_;
  }

  pid_t Pid() const { return pid_; }
  int Out() const { return out_; }
  int Err() const { return err_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  int status_ = -1;
};

uint16_t PortOf(const std::string& line) {
  return static_cast<uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
}

// One control command over a fresh connection.
std::string Control(uint16_t port, const std::string& command) {
  const int fd = ConnectLoopback(port);
  if (fd < 0) return "(no connection)";
  WriteAll(fd, command + "\n");
  std::string reply;
  uint8_t c;
  while (ReadExactly(fd, &c, 1) && c != '\n') reply += static_cast<char>(c);
  close(fd);
  return reply;
}

TEST(ProgramTest, ServesTokensUntilQuit) {
  const std::string readyFile =
      ::testing::TempDir() + "vtoken_ready_" + std::to_string(getpid()) + ".txt";
  Program program({"--token", "hid:B", "--uid", std::string(64, 'a'), "--token=cdrom:A:0",
                   "--control", "0", "--ready-file", readyFile});
  const std::string hid = program.ReadLine();
  const std::string cdrom = program.ReadLine();
  const std::string control = program.ReadLine();
  ASSERT_EQ(program.ReadLine(), "ready");
  EXPECT_EQ(hid.rfind("token 0 hid B 127.0.0.1:", 0), 0u) << hid;
  EXPECT_EQ(cdrom.rfind("token 1 cdrom A 127.0.0.1:", 0), 0u) << cdrom;
  EXPECT_EQ(control.rfind("control 127.0.0.1:", 0), 0u) << control;

  std::ifstream file(readyFile);
  std::stringstream written;
  written << file.rdbuf();
  EXPECT_EQ(written.str(), hid + "\n" + cdrom + "\n" + control + "\nready\n");
  std::remove(readyFile.c_str());

  {
    RawClient client(TokenKind::kHid, PortOf(hid), kProgramFrameKey);
    EXPECT_EQ(client.ReadHello(), "QVT1 hid 04b4 b812\n");
    Frame answer;
    AnswerView view;
    ASSERT_TRUE(client.Exchange(UidCommand(), &answer));
    ASSERT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kOk);
    EXPECT_EQ(view.data[0], 0xAA);
  }
  const uint16_t controlPort = PortOf(control);
  const std::string stats = Control(controlPort, "stats 0");
  EXPECT_EQ(stats.rfind("ok exchanges=1 answers=1 ", 0), 0u) << stats;
  EXPECT_EQ(Control(controlPort, "unplug 1"), "ok unplugged");
  EXPECT_FALSE(RawClient(TokenKind::kCdrom, PortOf(cdrom)).Connected());
  EXPECT_EQ(Control(controlPort, "plug 1"),
            "ok plugged 127.0.0.1:" + std::to_string(PortOf(cdrom)));
  EXPECT_TRUE(RawClient(TokenKind::kCdrom, PortOf(cdrom)).Connected());
  EXPECT_EQ(Control(controlPort, "bogus").rfind("error ", 0), 0u);
  EXPECT_EQ(Control(controlPort, "quit"), "ok bye");
  EXPECT_EQ(program.Wait(), 0);
}

TEST(ProgramTest, StopsOnSigtermWithOneDefaultToken) {
  Program program({});
  const std::string token = program.ReadLine();
  EXPECT_EQ(token.rfind("token 0 hid A 127.0.0.1:", 0), 0u) << token;
  ASSERT_EQ(program.ReadLine(), "ready");
  kill(program.Pid(), SIGTERM);
  EXPECT_EQ(program.Wait(), 0);
}

TEST(ProgramTest, HelpAndBadArguments) {
  {
    Program program({"--help"});
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_NE(program.ReadAll(program.Out()).find("--token KIND:MODEL[:PORT]"), std::string::npos);
  }
  const std::vector<std::vector<std::string>> bad = {
      {"--token", "usb:A"},
      {"--token", "hid:C"},
      {"--token", "hid:A:70000"},
      {"--uid", std::string(64, '0')},
      {"--token", "hid:A", "--uid", "12"},
      {"--control"},
      {"--frobnicate"},
      {"--token", "hid:A:4000", "--token", "cdrom:B:4000"},
      {"--password", "secret", "--token", "hid:A"},
      {"--token", "hid:A", "--password", std::string(65, 'p')},
      {"--token", "hid:A", "--version-text", "QVT 00001"},
      {"--token", "hid:A", "--identity", "QUILLVT12"},
      {"--token", "hid:A", "--request-enabled", "256"},
      {"--token", "hid:A", "--usage-tag", std::string(33, 't')},
      {"--state="},
  };
  for (const auto& args : bad) {
    Program program(args);
    EXPECT_EQ(program.Wait(), 2) << args[0];
    const std::string error = program.ReadAll(program.Err());
    EXPECT_EQ(error.rfind("quill-vtoken: ", 0), 0u) << error;
  }
}

TEST(ProgramTest, KeepsTokenSettingsInTheStateFileAndRefusesADamagedOne) {
  char pattern[] = "/tmp/quill-program-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  const std::string path = folder + "/tokens.state";
  {
    Program program({"--token", "hid:A", "--password", "door", "--usage-tag", "gate",
                     "--request-enabled=9", "--version-text", "QVT 2", "--token", "cdrom:B",
                     "--state", path});
    program.ReadLine();
    program.ReadLine();
    ASSERT_EQ(program.ReadLine(), "ready");
    kill(program.Pid(), SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
  }
  std::ifstream file(path);
  std::stringstream saved;
  saved << file.rdbuf();
  StoredStates states;
  StateFileError error;
  ASSERT_TRUE(ParseStateFile(saved.str(), &states, &error)) << error.message;
  ASSERT_EQ(states.size(), 2u);
  const StoredTokenState& first = states.at(0);
  EXPECT_TRUE(first.password == TokenPasswordDigest("door"));
  EXPECT_EQ(std::string(first.usageTag.begin(), first.usageTag.begin() + 5),
            std::string("gate\0", 5));
  EXPECT_EQ(first.requestEnabled, 9);
  EXPECT_EQ(std::string(first.versionText.begin(), first.versionText.end()),
            std::string("QVT 2\0\0\0", 8));
  EXPECT_TRUE(states.at(1).password == TokenPasswordDigest("12345678"));

  std::string damaged = saved.str();
  const size_t digit = damaged.find("token 1 memory ") + 20;
  damaged[digit] = damaged[digit] == '0' ? '1' : '0';
  std::ofstream(path, std::ios::trunc) << damaged;
  {
    Program program({"--token", "hid:A", "--state", path});
    EXPECT_EQ(program.Wait(), 2);
    const std::string message = program.ReadAll(program.Err());
    EXPECT_NE(message.find("quill-vtoken: state file " + path + ", line "), std::string::npos)
        << message;
    EXPECT_NE(message.find("checksum"), std::string::npos) << message;
  }
  std::ifstream after(path);
  std::stringstream kept;
  kept << after.rdbuf();
  EXPECT_EQ(kept.str(), damaged) << "the damaged file is left as it is";
  std::remove(path.c_str());
  std::remove((path + ".lock").c_str());
  rmdir(folder.c_str());
}

TEST(ProgramTest, OneProgramPerStateFileAndIgnoredOptionsAreNamed) {
  char pattern[] = "/tmp/quill-program-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  const std::string path = folder + "/tokens.state";
  {
    Program first({"--token", "hid:A", "--password", "door", "--state", path});
    first.ReadLine();
    ASSERT_EQ(first.ReadLine(), "ready");

    Program second({"--token", "hid:A", "--state", path});
    EXPECT_EQ(second.Wait(), 2);
    const std::string message = second.ReadAll(second.Err());
    EXPECT_EQ(message, "quill-vtoken: state file " + path +
                           " is in use by another virtual token program (it holds " + path +
                           ".lock); stop that one or give another --state file\n");
    kill(first.Pid(), SIGTERM);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(first.ReadAll(first.Err()), "") << "a fresh state file takes the options quietly";
  }
  {
    // The file now holds token 0 with password "door": a new --password does not apply.
    Program again({"--token", "hid:A", "--password", "other", "--usage-tag", "x", "--token",
                   "cdrom:A", "--password", "new", "--state", path});
    again.ReadLine();
    again.ReadLine();
    ASSERT_EQ(again.ReadLine(), "ready");
    kill(again.Pid(), SIGTERM);
    EXPECT_EQ(again.Wait(), 0);
    EXPECT_EQ(again.ReadAll(again.Err()),
              "quill-vtoken: warning: token 0: --password, --usage-tag ignored: the state file " +
                  path +
                  " already holds this token's state (its password included); remove the file "
                  "to start afresh\n")
        << "token 1 had no entry yet, so its --password applies";
  }
  StoredStates states;
  StateFileError error;
  std::ifstream file(path);
  std::stringstream saved;
  saved << file.rdbuf();
  ASSERT_TRUE(ParseStateFile(saved.str(), &states, &error)) << error.message;
  EXPECT_TRUE(states.at(0).password == TokenPasswordDigest("door"));
  EXPECT_TRUE(states.at(1).password == TokenPasswordDigest("new"));
  std::remove(path.c_str());
  std::remove((path + ".lock").c_str());
  rmdir(folder.c_str());
}

}  // namespace
}  // namespace quill
