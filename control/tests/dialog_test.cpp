// The login dialog: its attempts, its message line and its end codes, with
// a fake user pressing the buttons.
#include "control_fixture.h"
#include "control_strings.h"
#include "login_dialog.h"
#include "server_side.h"

namespace quill {
namespace {

struct Step {
  LoginOutcome outcome;
  std::string message;  // UTF-8
  int attemptsLeft;
  std::vector<int> codes;
};

class DialogTest : public ControlTest {
 protected:
  // Presses the login button with password and notes what the dialog shows.
  Step Press(LoginDialogController& dialog, const std::string& password) {
    TokenSetLastError(0);
    Step step;
    step.outcome = dialog.Login(Utf8ToUtf16(password));
    step.message = Utf16ToUtf8(dialog.MessageLine());
    step.attemptsLeft = LoginAttemptsLeft();
    step.codes = Codes();
    return step;
  }
};

TEST_F(DialogTest, ThreeWrongPasswordsCountDownAndEndTheDialogWith2) {
  AddToken();
  Connect();
  std::vector<Step> steps;
  ports.dialog.user = [&](LoginDialogController& dialog) {
    dialog.Initialise();
    EXPECT_EQ(LoginAttemptsLeft(), 3);
    EXPECT_TRUE(dialog.MessageLine().empty());
    for (;;) {
      steps.push_back(Press(dialog, "wrong"));
      if (steps.back().outcome.ended) return steps.back().outcome.endCode;
    }
  };
  EXPECT_EQ(QuillOpenEx(), 2);
  ASSERT_EQ(steps.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const int left = 2 - i;
    EXPECT_EQ(steps[i].message,
              "Error user password,remainder " + std::to_string(left) + " times.");
    EXPECT_EQ(steps[i].attemptsLeft, left);
    ASSERT_FALSE(steps[i].codes.empty());
    EXPECT_EQ(steps[i].codes.back(), CTL_DIALOG_WRONG_PIN);
    EXPECT_EQ(steps[i].outcome.ended, left == 0);
  }
  EXPECT_EQ(steps[2].outcome.endCode, 2);
}

TEST_F(DialogTest, RightPasswordEndsWith0AndRestoresTheAttempts) {
  const int id = AddToken();
  Connect();
  std::vector<Step> steps;
  ports.dialog.user = [&](LoginDialogController& dialog) {
    dialog.Initialise();
    steps.push_back(Press(dialog, "wrong"));
    steps.push_back(Press(dialog, "12345678"));
    return steps.back().outcome.ended ? steps.back().outcome.endCode : 99;
  };
  EXPECT_EQ(QuillOpenEx(), 0);
  EXPECT_EQ(steps[0].attemptsLeft, 2);
  EXPECT_TRUE(steps[1].codes.empty());
  EXPECT_EQ(steps[1].attemptsLeft, 3);
  EXPECT_TRUE(server.Session(id).passwordVerified);
}

TEST_F(DialogTest, APasswordOver32BytesCostsAnAttempt) {
  const int id = AddToken();
  Connect();
  Step step;
  ports.dialog.user = [&](LoginDialogController& dialog) {
    dialog.Initialise();
    step = Press(dialog, std::string(33, 'x'));
    return dialog.Cancel().endCode;
  };
  EXPECT_EQ(QuillOpenEx(), 2);
  EXPECT_EQ(step.codes, (std::vector<int>{CTL_PIN_TOO_LONG, CTL_DIALOG_WRONG_PIN}));
  EXPECT_EQ(step.attemptsLeft, 2);
  EXPECT_EQ(server_side::CommandCount(server, id, 0x15), 0u);
}

TEST_F(DialogTest, APulledTokenAsksForTheKeyAndKeepsTheDialogOpen) {
  const int id = AddToken();
  Connect();
  std::vector<Step> steps;
  ports.dialog.user = [&](LoginDialogController& dialog) {
    dialog.Initialise();
    steps.push_back(Press(dialog, "wrong"));
    server.Unplug(id);
    steps.push_back(Press(dialog, "12345678"));
    EXPECT_TRUE(server.Plug(id));
    steps.push_back(Press(dialog, "12345678"));
    return steps.back().outcome.endCode;
  };
  EXPECT_EQ(QuillOpenEx(), 0);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_FALSE(steps[1].outcome.ended);
  EXPECT_EQ(steps[1].message, "Please Connect is USB key.");
  EXPECT_EQ(steps[1].attemptsLeft, 3);
  EXPECT_EQ(steps[1].codes.back(), CTL_NO_TOKEN);
  EXPECT_TRUE(steps[2].outcome.ended) << "the login button searches again";
}

TEST_F(DialogTest, CancelEndsWith2AndRecordsNothing) {
  AddToken();
  Connect();
  std::vector<int> codesAfterCancel{-1};
  ports.dialog.user = [&](LoginDialogController& dialog) {
    dialog.Initialise();
    TokenSetLastError(0);
    const LoginOutcome outcome = dialog.Cancel();
    codesAfterCancel = Codes();
    EXPECT_TRUE(outcome.ended);
    return outcome.endCode;
  };
  EXPECT_EQ(QuillOpenEx(), 2);
  EXPECT_TRUE(codesAfterCancel.empty());
}

TEST_F(DialogTest, EveryOpeningGrantsThreeAttemptsAgain) {
  AddToken();
  Connect();
  std::vector<Step> steps;
  ports.dialog.user = [&](LoginDialogController& dialog) {
    dialog.Initialise();
    steps.push_back(Press(dialog, "wrong"));
    return dialog.Cancel().endCode;
  };
  EXPECT_EQ(QuillOpenEx(), 2);
  EXPECT_EQ(QuillOpenEx(), 2);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[1].attemptsLeft, 2);
  EXPECT_EQ(steps[1].message, steps[0].message);
}

TEST_F(DialogTest, DialogThatCannotBeShownGivesMinus1) {
  AddToken();
  Connect();
  ports.dialog.user = nullptr;
  EXPECT_EQ(QuillOpenEx(), -1);
  EXPECT_EQ(ports.dialog.shown, 1);
  ports.platform.dialog = nullptr;
  ResetControl(ports.platform);
  EXPECT_EQ(QuillOpenEx(), -1);
}

TEST_F(DialogTest, ChineseMessagesCarryTheCount) {
  const int id = AddToken();
  Connect();
  LoginDialogController dialog(UiLanguage::kChinese);
  dialog.Initialise();
  EXPECT_EQ(Press(dialog, "wrong").message, "用户密码错误，剩余 2 次");
  server.Unplug(id);
  EXPECT_EQ(Press(dialog, "wrong").message, "请连接USB key");
}

}  // namespace
}  // namespace quill
