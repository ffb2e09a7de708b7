// QuillOpenEx through the host: the askpass program named by QUILL_ASKPASS
// plays the login dialog, one run per attempt.
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

TEST_F(HostLoginDialogTest, CannotShowTheDialogWithoutAnAskpassProgram) {
  AddCdromToken();
  StartHost();
  EXPECT_EQ(Call("QuillOpenEx"), -1);
}

TEST_F(HostLoginDialogTest, CannotShowTheDialogWhenTheProgramCannotStart) {
  AddCdromToken();
  StartHost({"QUILL_ASKPASS=" + folder.File("missing")});
  EXPECT_EQ(Call("QuillOpenEx"), -1);
  EXPECT_EQ(Finish(), 0);
}

TEST_F(HostLoginDialogTest, AnswersNoTokenWithoutRunningTheProgram) {
  Answers("12345678\n");
  StartHost({"QUILL_ASKPASS=" + askpass});
  EXPECT_EQ(Call("QuillOpenEx"), 1);
  EXPECT_EQ(Prompts(), "");
}

}  // namespace
}  // namespace quill::host
