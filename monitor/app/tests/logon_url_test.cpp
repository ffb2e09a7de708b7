// OpenLogonUrl: its results, the command line for each model byte, the
// browser commands read from the registry and the environment, and the
// refusal of command lines that do not fit.
#include "browser_command.h"
#include "main_dlg.h"
#include "monitor_fixture.h"

namespace quill {
namespace {

std::u16string Wide(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

class LogonUrlTest : public MonitorTest {
 protected:
  // One token with the given key information, the window built.
  void OneToken(const std::string& url, uint8_t modelByte) {
    AddToken();
    Connect();
    SetKeyInfo(url, modelByte);
  }
  int Open() {
    CMainDlg dlg(ports, window, relay);
    return dlg.OpenLogonUrl();
  }
  fake::FakeMainWindow window;
  fake::FakeRemotePresence relay;
};

TEST_F(LogonUrlTest, NoTokenGivesOne) {
  Connect();
  EXPECT_EQ(Open(), kUrlNoKeyInfo);
  EXPECT_TRUE(processes.started.empty());
  EXPECT_EQ(log.lines, std::vector<std::string>{"url not opened: result=1"});
}

TEST_F(LogonUrlTest, EmptyUrlGivesTwo) {
  OneToken("", 0);
  EXPECT_EQ(Open(), kUrlEmpty);
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(LogonUrlTest, TwoTokensGiveThree) {
  AddToken();
  AddToken();
  Connect();
  SetKeyInfo("http://a/", 0);
  EXPECT_EQ(Open(), kUrlSeveralTokens);
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(LogonUrlTest, ModelZeroUsesTheQuotedProgramOfTheHttpCommand) {
  OneToken("http://a/?id={ID}&again={ID}&{id}", 0);
  SetHttpCommand(u"\"C:\\Program Files\\Web\\web.exe\" -osint -url \"%1\"");
  EXPECT_EQ(Open(), kUrlStarted);
  const std::u16string uid = Wide(UidOf(0));
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0], u"\"C:\\Program Files\\Web\\web.exe\" \"http://a/?id=" + uid +
                                      u"&again=" + uid + u"&{id}\"");
  ASSERT_EQ(registry.reads.size(), 1u);
  EXPECT_EQ(registry.reads[0].root, RegistryRoot::kClassesRoot);
  EXPECT_EQ(registry.reads[0].path, kHttpKey);
  EXPECT_EQ(registry.reads[0].name, u"");
  EXPECT_EQ(log.lines.back(), "url opened: \"C:\\Program Files\\Web\\web.exe\" \"http://a/?id=" +
                                  UidOf(0) + "&again=" + UidOf(0) + "&{id}\"");
}

TEST_F(LogonUrlTest, ModelZeroKeepsAnUnquotedCommandWhole) {
  OneToken("http://a/", 0);
  SetHttpCommand(u"C:\\Web\\web.exe %1");
  EXPECT_EQ(Open(), kUrlStarted);
  EXPECT_EQ(processes.started, std::vector<std::u16string>{u"C:\\Web\\web.exe %1 \"http://a/\""});
}

TEST_F(LogonUrlTest, ModelZeroWithoutCommandStartsTheBareUrl) {
  OneToken("http://a/", 0);
  EXPECT_EQ(Open(), kUrlStarted);
  EXPECT_EQ(processes.started, std::vector<std::u16string>{u" \"http://a/\""});
}

TEST_F(LogonUrlTest, ModelOneUsesInternetExplorersCommand) {
  OneToken("http://a/", 1);
  SetHttpCommand(u"\"C:\\Web\\web.exe\" \"%1\"");
  SetIeCommand(u"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" %1");
  EXPECT_EQ(Open(), kUrlStarted);
  EXPECT_EQ(processes.started,
            std::vector<std::u16string>{
                u"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"http://a/\""});
}

TEST_F(LogonUrlTest, ModelOneWithoutTheKeyDoesNotReadAValue) {
  OneToken("http://a/", 1);
  EXPECT_EQ(Open(), kUrlStarted);
  EXPECT_TRUE(registry.reads.empty());
  EXPECT_EQ(processes.started, std::vector<std::u16string>{u" \"http://a/\""});
}

TEST_F(LogonUrlTest, ModelTwoStartsTheProgramTheVariableNames) {
  OneToken("QUILL_BROWSER", 2);
  system.environment[u"QUILL_BROWSER"] = u"C:\\Apps\\portal.exe";
  EXPECT_EQ(Open(), kUrlStarted);
  EXPECT_EQ(processes.started, std::vector<std::u16string>{u"\"C:\\Apps\\portal.exe\""});
}

TEST_F(LogonUrlTest, ModelTwoWithAnUnusableVariableGivesSix) {
  OneToken("QUILL_BROWSER", 2);
  EXPECT_EQ(Open(), kUrlEnvironmentUnusable);  // undefined
  system.environment[u"QUILL_BROWSER"] = u"";
  EXPECT_EQ(Open(), kUrlEnvironmentUnusable);  // empty
  system.environment[u"QUILL_BROWSER"] = std::u16string(261, u'p');
  EXPECT_EQ(Open(), kUrlEnvironmentUnusable);  // 261 characters
  EXPECT_TRUE(processes.started.empty());
  EXPECT_EQ(log.lines.back(), "url not opened: result=6");
}

TEST_F(LogonUrlTest, ModelTwoRefusesAValueTheQuotesPushPastTheBuffer) {
  // 258 characters and two quotes need 261 with the terminator: the closing
  // quote would be cut off, so nothing is started.
  OneToken("QUILL_BROWSER", 2);
  system.environment[u"QUILL_BROWSER"] = std::u16string(260, u'p');
  EXPECT_EQ(Open(), kUrlStartFailed);  // usable, at its limit, but it cannot be quoted whole
  system.environment[u"QUILL_BROWSER"] = std::u16string(258, u'p');
  EXPECT_EQ(Open(), kUrlStartFailed);
  system.environment[u"QUILL_BROWSER"] = std::u16string(257, u'p');
  EXPECT_EQ(Open(), kUrlStarted);
  ASSERT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(processes.started[0].size(), 259u);
}

TEST_F(LogonUrlTest, OtherModelBytesGiveSeven) {
  OneToken("http://a/", 3);
  EXPECT_EQ(Open(), kUrlStartFailed);
  EXPECT_TRUE(processes.started.empty());
}

TEST_F(LogonUrlTest, FailedStartGivesSeven) {
  OneToken("http://a/", 0);
  processes.startSucceeds = false;
  EXPECT_EQ(Open(), kUrlStartFailed);
  EXPECT_EQ(processes.started.size(), 1u);
  EXPECT_EQ(log.lines.back(), "url not opened: result=7");
}

TEST_F(LogonUrlTest, ACommandLongerThanTheOldReadBufferIsReadWhole) {
  // 200 characters do not fit 260 bytes; the program path is never cut.
  std::u16string program = u"\"C:\\" + std::u16string(190, u'd') + u"\\w.exe\"";
  OneToken("http://a/", 0);
  SetHttpCommand(program + u" \"%1\"");
  EXPECT_EQ(Open(), kUrlStarted);
  EXPECT_EQ(processes.started, std::vector<std::u16string>{program + u" \"http://a/\""});
  EXPECT_GT(registry.reads[0].offered, 260u);
}

TEST_F(LogonUrlTest, ACommandLineThatDoesNotFitIsRefused) {
  // The program fits the buffer alone, but not with the URL: rather than a
  // cut URL, nothing is started.
  std::u16string program = u"\"C:\\" + std::u16string(230, u'd') + u"\\w.exe\"";
  OneToken("http://example.com/logon/{ID}", 0);
  SetHttpCommand(program + u" \"%1\"");
  EXPECT_EQ(Open(), kUrlStartFailed);
  EXPECT_TRUE(processes.started.empty());
  EXPECT_EQ(log.lines.back(), "url not opened: result=7");
}

TEST_F(LogonUrlTest, TheUrlIsConvertedThroughCodePage936) {
  OneToken("http://a/", 0);
  CMainDlg dlg(ports, window, relay);
  text.conversions.clear();
  dlg.OpenLogonUrl();
  bool through936 = false;
  for (const auto& conversion : text.conversions) {
    if (conversion.codePage == CodePage::kChinese936 && conversion.toNarrow) through936 = true;
  }
  EXPECT_TRUE(through936);
}

TEST(OpenCommandTest, ProgramPartOfTheCommand) {
  EXPECT_EQ(ProgramOfOpenCommand(u"\"C:\\a b\\x.exe\" -- \"%1\""), u"\"C:\\a b\\x.exe\"");
  EXPECT_EQ(ProgramOfOpenCommand(u"\"C:\\a b\\x.exe -- %1"), u"\"C:\\a b\\x.exe -- %1");
  EXPECT_EQ(ProgramOfOpenCommand(u"C:\\x.exe \"%1\""), u"C:\\x.exe \"%1\"");
  EXPECT_EQ(ProgramOfOpenCommand(u""), u"");
}

}  // namespace
}  // namespace quill
