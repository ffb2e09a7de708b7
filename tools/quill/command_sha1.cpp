// quill sha1: SHA-1 of data keyed with a seed that the token holds.
#include "command_support.h"
#include "commands.h"
#include "data_files.h"
#include "failure.h"
#include "hex_text.h"

namespace quill {
namespace {

// What one command to the token carries.
constexpr size_t kMaxSha1Data = 238;

const char kHelp[] =
    "usage: quill sha1 --selector N (--text TEXT | --hex HEX | --in FILE)\n"
    "                  [--login [--password TEXT]]\n"
    "\n"
    "Prints the SHA-1 digest that the token computes over its seed number N\n"
    "(0 to 255; the token decides which it holds) followed by the data, at\n"
    "most 238 bytes. The token needs a verified password: --login asks for it\n"
    "and logs in first, as 'quill login' would.\n";

}  // namespace

int RunSha1(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand("sha1", kHelp, args,
                            {{"--selector", true},
                             {"--text", true},
                             {"--hex", true},
                             {"--in", true},
                             {"--login", false},
                             {"--password", true}},
                            0, leading, &run);
  if (status != kContinue) return status;
  int64_t selector = 0;
  if (!run.args.Has("--selector")) return UsageError(run, "--selector is required");
  if (!ParseNumber(run.args.Value("--selector"), 0, 255, &selector)) {
    return UsageError(run, "--selector takes a number from 0 to 255");
  }
  std::vector<uint8_t> data;
  std::string error;
  if (!ReadInputData(run.args, kMaxSha1Data, &data, &error)) return UsageError(run, error);
  if ((status = CheckLoginOptions(run)) != kContinue) return status;
  FoundToken token;
  if ((status = SelectTokenFor(run, &token)) != kContinue) return status;
  if ((status = LoginIfAsked(run, token)) != kContinue) return status;

  uint8_t digest[20] = {};
  if (TokenSha1WithSeed(token.handle, static_cast<uint8_t>(selector), data.data(), data.size(),
                        digest) != 0) {
    return ReportTokenFailure(run.output, "sha1");
  }
  const std::string hex = HexEncode(digest, sizeof(digest));
  run.output.Success(TokenFields(token).Set("digest", JsonValue::String(hex)), hex + "\n");
  return kExitSuccess;
}

}  // namespace quill
