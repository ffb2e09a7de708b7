// The tool's building blocks: argument parsing, number and hex checks, JSON
// text and the failure line.
#include <gtest/gtest.h>

#include "cli_args.h"
#include "failure.h"
#include "hex_text.h"
#include "json_writer.h"
#include "utf8_text.h"

namespace quill {
namespace {

const std::vector<OptionSpec> kSpecs = {{"--out", true}, {"--hex", false}};

TEST(CliArgsTest, TakesValuesInBothFormsAndPositionals) {
  ParsedArgs parsed;
  std::string error;
  ASSERT_TRUE(ParseArgs({"read", "--out=a=b", "--hex", "--", "--out"}, kSpecs, &parsed, &error));
  EXPECT_EQ(parsed.Value("--out"), "a=b");
  EXPECT_TRUE(parsed.Has("--hex"));
  EXPECT_EQ(parsed.Positionals(), (std::vector<std::string>{"read", "--out"}));

  ASSERT_TRUE(ParseArgs({"--out", "--hex"}, kSpecs, &parsed, &error));
  EXPECT_EQ(parsed.Value("--out"), "--hex") << "a value may look like an option";
  EXPECT_FALSE(parsed.Has("--hex"));
}

TEST(CliArgsTest, RefusesMalformedCommandLines) {
  ParsedArgs parsed;
  std::string error;
  EXPECT_FALSE(ParseArgs({"--in", "x"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "unknown option --in");
  EXPECT_FALSE(ParseArgs({"--out"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "option --out needs a value");
  EXPECT_FALSE(ParseArgs({"--hex=1"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "option --hex takes no value");
  EXPECT_FALSE(ParseArgs({"--hex", "--hex"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "option --hex given twice");
}

TEST(CliArgsTest, NumbersStayInsideTheirRange) {
  int64_t value = -1;
  EXPECT_TRUE(ParseNumber("2047", 0, 2047, &value));
  EXPECT_EQ(value, 2047);
  EXPECT_TRUE(ParseNumber("0x7fF", 0, 2047, &value));
  EXPECT_EQ(value, 2047);
  EXPECT_FALSE(ParseNumber("2048", 0, 2047, &value));
  EXPECT_FALSE(ParseNumber("0", 1, 10, &value));
  for (const char* bad : {"", "0x", "-1", "+1", "1.5", " 1", "1 ", "12a", "0x1g"}) {
    EXPECT_FALSE(ParseNumber(bad, 0, 1000, &value)) << bad;
  }
  // Far more digits than any int64_t holds must not wrap around into range.
  EXPECT_FALSE(ParseNumber("18446744073709551617", 0, 2048, &value));
  EXPECT_FALSE(ParseNumber("0x10000000000000001", 0, 2048, &value));
  EXPECT_EQ(value, 2047);
}

TEST(HexTextTest, ParsesStrictlyAndFormatsLowerCase) {
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(ParseHex("00aBfF", 3, &bytes, &error));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x00, 0xAB, 0xFF}));
  EXPECT_EQ(FormatHex(bytes), "00abff");
  EXPECT_FALSE(ParseHex("abc", 8, &bytes, &error));
  EXPECT_EQ(error, "odd number of hexadecimal digits");
  EXPECT_FALSE(ParseHex("0g", 8, &bytes, &error));
  EXPECT_EQ(error, "not a hexadecimal digit at position 2");
  EXPECT_FALSE(ParseHex("00 11", 8, &bytes, &error));
  EXPECT_FALSE(ParseHex("00112233", 3, &bytes, &error));
  EXPECT_EQ(error, "more than 3 bytes");
}

TEST(JsonWriterTest, KeepsMemberOrderAndNests) {
  JsonValue values = JsonValue::Array();
  values.Append(JsonValue::Number(-1)).Append(JsonValue::Bool(false)).Append(JsonValue());
  const JsonValue object = JsonValue::Object()
                               .Set("z", JsonValue::String("last?"))
                               .Set("a", values)
                               .Set("o", JsonValue::Object());
  EXPECT_EQ(WriteJson(object), R"({"z":"last?","a":[-1,false,null],"o":{}})");
}

TEST(JsonWriterTest, EscapesEverythingJsonForbids) {
  std::string out;
  AppendJsonString(std::string("q\"b\\n\n\t\x01\x1f\x7f", 10), &out);
  EXPECT_EQ(out, R"("q\"b\\n\n\t\u0001\u001f\u007f")");
  out.clear();
  AppendJsonString(std::string("a\0b", 3), &out);
  EXPECT_EQ(out, R"("a\u0000b")");
}

TEST(JsonWriterTest, KeepsUtf8AndReplacesOtherBytes) {
  std::string out;
  AppendJsonString("M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x94\x91", &out);
  EXPECT_EQ(out, "\"M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x94\x91\"");
  // A lone continuation byte, a cut sequence, an overlong '/' and a surrogate.
  out.clear();
  AppendJsonString("\x80|\xC3|\xC0\xAF|\xED\xA0\x80", &out);
  EXPECT_EQ(out, R"("\ufffd|\ufffd|\ufffd\ufffd|\ufffd\ufffd\ufffd")");
}

TEST(Utf8TextTest, PrintableTextDefusesTerminalControls) {
  EXPECT_EQ(PrintableText("name\x1b[2J\r\n"), "name\\x1b[2J\\x0d\\x0a");
  EXPECT_EQ(PrintableText("caf\xC3\xA9 \x9b"), "caf\xC3\xA9 \\x9b");
}

TEST(FailureTest, LineNamesRootCauseMeaningAndEveryCode) {
  EXPECT_EQ(TokenFailureLine("read", 515, {515, 53, 87}),
            "quill: read failed: 515 token status word 0x6700 (wrong length) [codes 515 53 87]");
  EXPECT_EQ(TokenFailureLine("sha1", 999, {999}),
            "quill: sha1 failed: 999 unknown code [codes 999]");
  EXPECT_EQ(TokenFailureLine("logout", 0, {}), "quill: logout failed: no error code recorded");
}

TEST(FailureTest, CommonStatesAreSaidInPlainWordsBeforeTheCodes) {
  EXPECT_EQ(TokenFailureLine("login", 522, {522, 53, 104}),
            "quill: login failed: wrong password (three wrong passwords in a row lock the token "
            "until it is unplugged): 522 token status word 0x6982 (security status not "
            "satisfied) [codes 522 53 104]");
  EXPECT_EQ(ReadableState({522, 53, 105}).rfind("wrong current password (", 0), 0u);
  // A locked token answers status 0xE3 whatever was asked.
  const std::string locked = ReadableState({258, 53, 104});
  EXPECT_EQ(locked,
            "the token is locked after three wrong passwords in a row; unplug it and plug it in "
            "again to unlock it");
  EXPECT_EQ(ReadableState({258, 94}), locked);
  EXPECT_EQ(ReadableState({522, 53, 100}),
            "the token refused the access key (QUILL_ACCESS_KEY sets the one presented)");
  EXPECT_EQ(ReadableState({522, 53, 94}).rfind("not logged in: ", 0), 0u);
  EXPECT_NE(ReadableState({522, 53, 96}).find("--login"), std::string::npos);
  // Other failures keep their codes alone.
  EXPECT_EQ(ReadableState({83, 88}), "");
  EXPECT_EQ(ReadableState({}), "");
}

}  // namespace
}  // namespace quill
