// The askpass dialog's logic in-process: a scripted askpass against a
// virtual token, to follow each prompt and what reaches the controller.
#include "askpass_dialog.h"

#include <cstdlib>
#include <deque>
#include <functional>
#include <utility>

#include "control_fixture.h"
#include "login_dialog.h"

namespace quill::host {
namespace {

class ScriptedAskpass : public AskpassPort {
 public:
  bool Configured() override { return configured; }
  AskpassStatus Ask(const std::string& prompt, std::string* typed) override {
    prompts.push_back(prompt);
    if (beforeAnswer) beforeAnswer(prompts.size());
    if (answers.empty()) return AskpassStatus::kCancelled;
    auto [status, text] = answers.front();
    answers.pop_front();
    *typed = text;
    return status;
  }
  void Type(const std::string& text) { answers.emplace_back(AskpassStatus::kTyped, text); }

  bool configured = true;
  std::deque<std::pair<AskpassStatus, std::string>> answers;
  std::vector<std::string> prompts;
  std::function<void(size_t)> beforeAnswer;
};

class AskpassDialogTest : public ControlTest {
 protected:
  int RunDialog() {
    AskpassLoginDialog dialog(askpass, UiLanguage::kEnglish);
    LoginDialogController controller;
    return dialog.Run(controller);
  }
  ScriptedAskpass askpass;
};

TEST_F(AskpassDialogTest, IsNotCreatedWithoutAProgram) {
  AddToken();
  Connect();
  askpass.configured = false;
  EXPECT_EQ(RunDialog(), -1);
  EXPECT_TRUE(askpass.prompts.empty());

  askpass.configured = true;
  askpass.answers.emplace_back(AskpassStatus::kNotStarted, "");
  EXPECT_EQ(RunDialog(), -1);
  EXPECT_EQ(askpass.prompts.size(), 1u);
}

TEST_F(AskpassDialogTest, TakesTheFirstLineOfTheAnswerAsThePassword) {
  AddToken();
  Connect();
  askpass.Type("12345678\r\nsecond line\n");
  EXPECT_EQ(RunDialog(), 0);
  EXPECT_EQ(askpass.prompts, std::vector<std::string>{"User Pin:"});
}

TEST_F(AskpassDialogTest, KeepsAskingWhileTheTokenIsAwayAndCancelsWhenTheProgramFails) {
  const int id = AddToken();
  Connect();
  askpass.Type("12345678");  // the token is gone meanwhile
  askpass.Type("wrong");
  askpass.answers.emplace_back(AskpassStatus::kNotStarted, "");
  askpass.beforeAnswer = [&](size_t attempt) {
    if (attempt == 1) server.Unplug(id);
    if (attempt == 2) server.Plug(id);
  };
  EXPECT_EQ(RunDialog(), 2);
  ASSERT_EQ(askpass.prompts.size(), 3u);
  EXPECT_EQ(askpass.prompts[1], "Please Connect is USB key.");
  // The pulled token did not cost an attempt.
  EXPECT_EQ(askpass.prompts[2], "Error user password,remainder 2 times.");
}

TEST_F(AskpassDialogTest, ATimeoutIsACancelThatIsReported) {
  AddToken();
  Connect();
  askpass.answers.emplace_back(AskpassStatus::kTimedOut, "late");
  std::vector<std::string> warnings;
  AskpassLoginDialog dialog(askpass, UiLanguage::kEnglish,
                            [&](const std::string& line) { warnings.push_back(line); });
  LoginDialogController controller;
  EXPECT_EQ(dialog.Run(controller), 2);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("did not answer within"), std::string::npos) << warnings[0];

  askpass.configured = false;
  warnings.clear();
  EXPECT_EQ(dialog.Run(controller), -1);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("QUILL_ASKPASS names no program"), std::string::npos);
}

TEST(AskpassTimeoutTest, ComesFromTheEnvironmentWithinBounds) {
  const char* saved = std::getenv("QUILL_ASKPASS_TIMEOUT");
  const std::string kept = saved ? saved : "";
  const std::vector<std::pair<const char*, int>> cases = {{"", kDefaultAskpassTimeoutSeconds},
                                                          {"1", 1},
                                                          {"86400", 86400},
                                                          {"86401", kDefaultAskpassTimeoutSeconds},
                                                          {"0", kDefaultAskpassTimeoutSeconds},
                                                          {"-5", kDefaultAskpassTimeoutSeconds},
                                                          {"10s", kDefaultAskpassTimeoutSeconds}};
  for (const auto& [text, seconds] : cases) {
    setenv("QUILL_ASKPASS_TIMEOUT", text, 1);
    EXPECT_EQ(AskpassTimeoutSeconds(), seconds) << text;
  }
  if (saved) {
    setenv("QUILL_ASKPASS_TIMEOUT", kept.c_str(), 1);
  } else {
    unsetenv("QUILL_ASKPASS_TIMEOUT");
  }
}

TEST(AskpassOutputTest, FirstLineEndsAtTheFirstLineFeed) {
  EXPECT_EQ(FirstLine("secret\n"), "secret");
  EXPECT_EQ(FirstLine("secret\r\nmore\n"), "secret");
  EXPECT_EQ(FirstLine("no line end"), "no line end");
  EXPECT_EQ(FirstLine("\n"), "");
  EXPECT_EQ(FirstLine("in\rside\n"), "in\rside");
}

}  // namespace
}  // namespace quill::host
