// quill info: everything the token tells about itself.
#include <cstdio>
#include <cstring>

#include "command_support.h"
#include "commands.h"
#include "failure.h"
#include "key_info.h"
#include "utf8_text.h"

namespace quill {
namespace {

const char kHelp[] =
    "usage: quill info\n"
    "\n"
    "Shows the token's UID, version text, identity record (text, five values and\n"
    "a 16-bit value), key information (name, description, url, other and the\n"
    "model bytes), usage tag and whether it takes requests. Needs no password.\n";

struct Identity {
  std::string text;
  std::string version;
  int values[5] = {};
  int value16 = 0;
};

int ReadIdentity(TokenHandle handle, Identity* identity) {
  char text[9] = {};
  uint8_t version[8] = {};
  const int result =
      TokenGetVersionInfo(handle, text, version, identity->values, &identity->value16);
  if (result != 0) return result;
  identity->text.assign(text, strnlen(text, sizeof(text)));
  const char* versionText = reinterpret_cast<const char*>(version);
  identity->version.assign(versionText, strnlen(versionText, sizeof(version)));
  return 0;
}

}  // namespace

int RunInfo(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand("info", kHelp, args, {}, 0, leading, &run);
  if (status != kContinue) return status;
  FoundToken token;
  status = SelectTokenFor(run, &token);
  if (status != kContinue) return status;

  Identity identity;
  if (ReadIdentity(token.handle, &identity) != 0) {
    return ReportTokenFailure(run.output, "reading the version information");
  }
  KeyInfo keyInfo;
  if (ReadKeyInfo(token.handle, &keyInfo) != 0) {
    return ReportTokenFailure(run.output, "reading the key information");
  }
  char tag[33] = {};
  if (TokenGetUsageTag(token.handle, tag) != 0) {
    return ReportTokenFailure(run.output, "reading the usage tag");
  }
  const std::string usageTag(tag, strnlen(tag, sizeof(tag)));
  int enabled = 0;
  if (TokenGetRequestEnabled(token.handle, &enabled) != 0) {
    return ReportTokenFailure(run.output, "reading the request-enabled flag");
  }

  JsonValue values = JsonValue::Array();
  std::string valuesText;
  for (int value : identity.values) {
    values.Append(JsonValue::Number(value));
    valuesText += (valuesText.empty() ? "" : " ") + std::to_string(value);
  }
  char value16Hex[8];
  std::snprintf(value16Hex, sizeof(value16Hex), "0x%04x", identity.value16 & 0xFFFF);

  const JsonValue fields =
      JsonValue::Object()
          .Set("position", JsonValue::Number(token.position))
          .Set("model", JsonValue::String(ModelLetter(token.model)))
          .Set("uid", JsonValue::String(token.uid))
          .Set("version", JsonValue::String(identity.version))
          .Set("identity", JsonValue::Object()
                               .Set("text", JsonValue::String(identity.text))
                               .Set("values", values)
                               .Set("value16", JsonValue::Number(identity.value16)))
          .Set("key_info", KeyInfoJson(keyInfo))
          .Set("usage_tag", JsonValue::String(usageTag))
          .Set("request_enabled", JsonValue::Bool(enabled != 0));
  const std::string text =
      Field("position", std::to_string(token.position)) + Field("model", ModelLetter(token.model)) +
      Field("uid", token.uid) + Field("version", PrintableText(identity.version)) +
      Field("identity", PrintableText(identity.text)) + Field("identity values", valuesText) +
      Field("identity value16", std::to_string(identity.value16) + " (" + value16Hex + ")") +
      KeyInfoText(keyInfo) + Field("usage tag", PrintableText(usageTag)) +
      Field("request enabled", enabled != 0 ? "yes" : "no");
  run.output.Success(fields, text);
  return kExitSuccess;
}

}  // namespace quill
