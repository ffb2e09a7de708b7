// quill encrypt / decrypt: the token's data cipher, with the library's
// access key.
#include "command_support.h"
#include "commands.h"
#include "data_files.h"
#include "failure.h"
#include "hex_text.h"

namespace quill {
namespace {

// Each 232 bytes cost one exchange with the token; this keeps a run short.
constexpr size_t kMaxCipherInput = 64 * 1024;
// Padding adds 1 to 8 bytes, so decrypt takes what encrypt makes of the
// largest input.
constexpr size_t kMaxCipherPadding = 8;
constexpr size_t kMaxDecryptInput = kMaxCipherInput + kMaxCipherPadding;

const char kEncryptHelp[] =
    "usage: quill encrypt [--selector 0|1] (--text TEXT | --hex HEX | --in FILE) [--out FILE]\n"
    "\n"
    "Encrypts up to 65536 bytes inside the token under the key that the selector\n"
    "picks (default 0). The library pads the data to whole 8-byte blocks, so the\n"
    "result is 1 to 8 bytes longer. --out FILE writes the raw result to FILE;\n"
    "otherwise it is printed in hexadecimal.\n";

const char kDecryptHelp[] =
    "usage: quill decrypt [--selector 0|1] (--text TEXT | --hex HEX | --in FILE) [--out FILE]\n"
    "\n"
    "Decrypts what 'quill encrypt' produced with the same selector (default 0)\n"
    "and removes the padding. The input is a whole number of 8-byte blocks, at\n"
    "most 65544 bytes (what encrypt makes of 65536). --out FILE writes the raw\n"
    "result to FILE; otherwise it is printed in hexadecimal.\n";

const std::vector<OptionSpec> kSpecs = {
    {"--selector", true}, {"--text", true}, {"--hex", true}, {"--in", true}, {"--out", true}};

// Transform's result when the library announced an impossible size.
constexpr int kUnexpectedSize = -1;

int Transform(TokenHandle handle, bool encrypt, uint8_t selector, const std::vector<uint8_t>& input,
              std::vector<uint8_t>* result) {
  size_t capacity = 0;
  if (encrypt) {
    // A null output asks for the size of the result.
    const int sized = TokenEncryptData(handle, selector, TokenAccessKey(), input.data(),
                                       input.size(), &capacity, nullptr);
    if (sized != 0) return sized;
    // Padding adds 1 to 8 bytes; never size the buffer from anything else.
    if (capacity <= input.size() || capacity > input.size() + kMaxCipherPadding) {
      return kUnexpectedSize;
    }
    result->assign(capacity, 0);
    const int done = TokenEncryptData(handle, selector, TokenAccessKey(), input.data(),
                                      input.size(), &capacity, result->data());
    if (done == 0) result->resize(capacity);
    return done;
  }
  // Padding only shrinks the data, so the input's size is always enough.
  capacity = input.size();
  result->assign(capacity, 0);
  const int done = TokenDecryptData(handle, selector, TokenAccessKey(), input.data(), input.size(),
                                    &capacity, result->data());
  if (done == 0) result->resize(capacity);
  return done;
}

int RunCipher(bool encrypt, const CommandArgs& args, const GlobalOptions& leading) {
  const char* name = encrypt ? "encrypt" : "decrypt";
  CommandRun run;
  int status =
      StartCommand(name, encrypt ? kEncryptHelp : kDecryptHelp, args, kSpecs, 0, leading, &run);
  if (status != kContinue) return status;
  int64_t selector = 0;
  if (run.args.Has("--selector") && !ParseNumber(run.args.Value("--selector"), 0, 1, &selector)) {
    return UsageError(run, "--selector takes 0 or 1");
  }
  std::vector<uint8_t> input;
  std::string error;
  if (!ReadInputData(run.args, encrypt ? kMaxCipherInput : kMaxDecryptInput, &input, &error)) {
    return UsageError(run, error);
  }
  if (!encrypt && (input.empty() || input.size() % 8 != 0)) {
    return UsageError(run, "the data to decrypt must be a whole number of 8-byte blocks, not " +
                               std::to_string(input.size()) + " bytes");
  }
  FoundToken token;
  if ((status = SelectTokenFor(run, &token)) != kContinue) return status;

  std::vector<uint8_t> result;
  const int transformed =
      Transform(token.handle, encrypt, static_cast<uint8_t>(selector), input, &result);
  if (transformed == kUnexpectedSize) {
    return ReportFailure(run.output, std::string(name) +
                                         ": the library announced a result size "
                                         "that padding cannot give");
  }
  if (transformed != 0) return ReportTokenFailure(run.output, name);
  JsonValue fields =
      TokenFields(token).Set("length", JsonValue::Number(static_cast<int64_t>(result.size())));
  if (run.args.Has("--out")) {
    const std::string path = run.args.Value("--out");
    if (!WriteDataFile(path, result, &error)) return ReportFailure(run.output, error);
    run.output.Success(fields.Set("file", JsonValue::String(path)),
                       std::to_string(result.size()) + " bytes from token " + token.uid +
                           " written to " + path + "\n");
  } else {
    const std::string hex = FormatHex(result);
    run.output.Success(fields.Set("data", JsonValue::String(hex)), hex + "\n");
  }
  return kExitSuccess;
}

}  // namespace

int RunEncrypt(const CommandArgs& args, const GlobalOptions& leading) {
  return RunCipher(true, args, leading);
}

int RunDecrypt(const CommandArgs& args, const GlobalOptions& leading) {
  return RunCipher(false, args, leading);
}

}  // namespace quill
