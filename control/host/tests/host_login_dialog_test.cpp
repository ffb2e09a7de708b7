// QuillOpenEx through the host: the askpass program named by QUILL_ASKPASS
// plays the login dialog, one run per attempt.
#include <signal.h>

#include <chrono>
#include <thread>

#include "host_fixture.h"

namespace quill::host {
namespace {

class HostLoginDialogTest : public HostTest {
 protected:
  void SetUp() override {
    // Each run records its prompt and what it could read on its standard
    // input, then prints the answer of its line in the answers file, or
    // exits with 1 for CANCEL.
    askpass = folder.File("askpass");
    WriteScript(askpass,
                "#!/bin/sh\n"
                "d='" +
                    folder.path() +
                    "'\n"
                    "n=$(( $(cat \"$d/count\" 2>/dev/null || echo 0) + 1 ))\n"
                    "echo $n > \"$d/count\"\n"
                    "printf '%s\\n' \"$1\" >> \"$d/prompts\"\n"
                    "cat >> \"$d/stdin\"\n"
                    "answer=$(sed -n \"${n}p\" \"$d/answers\")\n"
                    "[ \"$answer\" = CANCEL ] && exit 1\n"
                    "printf '%s\\n' \"$answer\"\n");
  }
  void Answers(const std::string& lines) { std::ofstream(folder.File("answers")) << lines; }
  std::string Prompts() { return ReadText(folder.File("prompts")); }

  std::string askpass;
};

TEST_F(HostLoginDialogTest, LogsInAfterTwoWrongPasswords) {
  AddCdromToken();
  Answers("wrong-one\nwrong-two\n12345678\r\n");
  StartHost({"QUILL_ASKPASS=" + askpass, "LC_ALL=C"});
  EXPECT_EQ(Call("QuillOpenEx"), 0);
  EXPECT_EQ(Prompts(),
            "User Pin:\n"
            "Error user password,remainder 2 times.\n"
            "Error user password,remainder 1 times.\n");
  // The program saw neither the requests nor the replies.
  EXPECT_EQ(ReadText(folder.File("stdin")), "");
  EXPECT_TRUE(Call("QuillSHA1WithSeed", Json::array({"x"})).is_string());
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(trailingOutput, "");
}

TEST_F(HostLoginDialogTest, EndsWith2AfterThreeWrongPasswordsOrACancel) {
  AddCdromToken();
  Answers("a\nb\nc\nCANCEL\n");
  StartHost({"QUILL_ASKPASS=" + askpass, "LC_ALL=C"});
  EXPECT_EQ(Call("QuillOpenEx"), 2);
  EXPECT_EQ(ReadText(folder.File("count")), "3\n");
  EXPECT_NE(Call("QuillGetLastError"), 0);
  // The next dialog starts with three attempts again; its first run cancels.
  EXPECT_EQ(Call("QuillOpenEx"), 2);
  EXPECT_EQ(ReadText(folder.File("count")), "4\n");
}

TEST_F(HostLoginDialogTest, PromptsInTheUsersLanguage) {
  AddCdromToken();
  Answers("wrong\nCANCEL\n");
  StartHost({"QUILL_ASKPASS=" + askpass, "LC_ALL", "LC_MESSAGES", "LANG=zh_CN.UTF-8"});
  EXPECT_EQ(Call("QuillOpenEx"), 2);
  EXPECT_EQ(Prompts(),
            "\xE8\xBE\x93\xE5\x85\xA5\xE5\xAF\x86\xE7\xA0\x81:\n"
            "\xE7\x94\xA8\xE6\x88\xB7\xE5\xAF\x86\xE7\xA0\x81\xE9\x94\x99\xE8\xAF\xAF\xEF\xBC\x8C"
            "\xE5\x89\xA9\xE4\xBD\x99 2 \xE6\xAC\xA1\n");
}

TEST_F(HostLoginDialogTest, CannotShowTheDialogWithoutAnAskpassProgramAndSaysWhy) {
  AddCdromToken();
  StartHost();
  EXPECT_EQ(Call("QuillOpenEx"), -1);
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(Errors(),
            "quill-host: QuillOpenEx: no login dialog: QUILL_ASKPASS names no program (set it to "
            "a program that prints the password, in the manner of SSH_ASKPASS)\n");
}

TEST_F(HostLoginDialogTest, CannotShowTheDialogWhenTheProgramCannotStart) {
  AddCdromToken();
  StartHost({"QUILL_ASKPASS=" + folder.File("missing")});
  EXPECT_EQ(Call("QuillOpenEx"), -1);
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(Errors(),
            "quill-host: QuillOpenEx: no login dialog: the program named by QUILL_ASKPASS could "
            "not be started\n");
}

// Whether the process is gone (or a zombie nobody waits for any more).
bool Ended(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/stat");
  std::string pidText, name, state;
  return !(status >> pidText >> name >> state) || state == "Z";
}

bool EndsWithin(pid_t pid, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    if (Ended(pid)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return Ended(pid);
}

pid_t PidIn(const std::string& path, int waitMs) {
  for (int waited = 0; waited < waitMs; waited += 20) {
    const std::string text = ReadText(path);
    if (!text.empty() && text.back() == '\n') return static_cast<pid_t>(std::stol(text));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

// A program that never answers, and one more process it started.
std::string SilentProgram(const TemporaryFolder& folder) {
  const std::string path = folder.File("silent");
  WriteScript(path,
              "#!/bin/sh\n"
              "sleep 1000 &\n"
              "echo $! > '" +
                  folder.File("grandchild") +
                  "'\n"
                  "echo $$ > '" +
                  folder.File("child") +
                  "'\n"
                  "wait\n");
  return path;
}

TEST_F(HostLoginDialogTest, AProgramThatNeverAnswersIsEndedAfterTheTimeoutAsACancel) {
  AddCdromToken();
  StartHost({"QUILL_ASKPASS=" + SilentProgram(folder), "QUILL_ASKPASS_TIMEOUT=1"});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Call("QuillOpenEx"), 2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  const pid_t child = PidIn(folder.File("child"), 1000);
  const pid_t grandchild = PidIn(folder.File("grandchild"), 1000);
  ASSERT_GT(child, 0);
  ASSERT_GT(grandchild, 0);
  EXPECT_TRUE(EndsWithin(child, 2000));
  EXPECT_TRUE(EndsWithin(grandchild, 2000)) << "its process group is ended with it";
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(Errors(),
            "quill-host: QuillOpenEx: the program named by QUILL_ASKPASS did not answer within "
            "1 s (QUILL_ASKPASS_TIMEOUT) and was ended; that counts as cancel\n");
}

TEST_F(HostLoginDialogTest, TheProgramDoesNotOutliveTheHost) {
  AddCdromToken();
  StartHost({"QUILL_ASKPASS=" + SilentProgram(folder)});
  ASSERT_TRUE(SendRequest(host, R"({"id":1,"call":"QuillOpenEx"})"));
  const pid_t child = PidIn(folder.File("child"), 5000);
  ASSERT_GT(child, 0);
  kill(host.pid(), SIGKILL);
  host.Wait(kReplyTimeoutMs);
  EXPECT_TRUE(EndsWithin(child, 2000)) << "the dialog program was orphaned";
  const pid_t grandchild = PidIn(folder.File("grandchild"), 1000);
  if (grandchild > 0) kill(grandchild, SIGKILL);
}

TEST_F(HostLoginDialogTest, AnswersNoTokenWithoutRunningTheProgram) {
  Answers("12345678\n");
  StartHost({"QUILL_ASKPASS=" + askpass});
  EXPECT_EQ(Call("QuillOpenEx"), 1);
  EXPECT_EQ(Prompts(), "");
}

}  // namespace
}  // namespace quill::host
