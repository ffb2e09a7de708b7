// quill storage read|write: the user storage, the secure storage (with the
// library's access key) and the memory area.
#include "command_support.h"
#include "commands.h"
#include "commands/storage.h"
#include "data_files.h"
#include "failure.h"
#include "hex_text.h"

namespace quill {
namespace {

const char kHelp[] =
    "usage: quill storage read  --area AREA [--offset N] --length N [--out FILE | --hex]\n"
    "       quill storage write --area AREA [--offset N] (--in FILE | --hex HEX | --text TEXT)\n"
    "                           [--length N]\n"
    "\n"
    "Reads or writes bytes of one of the token's areas:\n"
    "  user     2048 bytes\n"
    "  secure   2056 bytes, reached with the access key of the library's configuration\n"
    "  memory   192 bytes\n"
    "Offsets and lengths are decimal or 0x-prefixed hexadecimal; --offset is 0 when\n"
    "not given, and the bytes must lie inside the area.\n"
    "\n"
    "read:  --out FILE writes the raw bytes to FILE; otherwise they go to standard\n"
    "       output, in hexadecimal when it is a terminal or with --hex, else raw.\n"
    "write: the bytes come from FILE, from hexadecimal digits or from the text;\n"
    "       --length, when given, must equal their number.\n";

struct Area {
  const char* name;
  int size;
};

constexpr Area kAreas[] = {
    {"user", kUserStorageSize}, {"secure", kSecureStorageSize}, {"memory", kMemorySize}};

bool FindArea(const std::string& name, const Area** area) {
  for (const Area& each : kAreas) {
    if (name == each.name) {
      *area = &each;
      return true;
    }
  }
  return false;
}

bool IsArea(const Area& area, const char* name) {
  return std::string(area.name) == name;
}

// The transfer the command line asks for, checked against the area.
struct Transfer {
  const Area* area = nullptr;
  int offset = 0;
  int length = 0;
};

int ParseTransfer(const CommandRun& run, bool lengthRequired, Transfer* transfer) {
  if (!run.args.Has("--area")) return UsageError(run, "--area user|secure|memory is required");
  if (!FindArea(run.args.Value("--area"), &transfer->area)) {
    return UsageError(run, "--area takes user, secure or memory");
  }
  const Area& area = *transfer->area;
  int64_t offset = 0;
  if (run.args.Has("--offset") &&
      !ParseNumber(run.args.Value("--offset"), 0, area.size - 1, &offset)) {
    return UsageError(run, "--offset must be a number from 0 to " + std::to_string(area.size - 1) +
                               " for the " + area.name + " area");
  }
  transfer->offset = static_cast<int>(offset);
  const int64_t room = area.size - offset;
  if (lengthRequired && !run.args.Has("--length")) return UsageError(run, "--length is required");
  int64_t length = 0;
  if (run.args.Has("--length") && !ParseNumber(run.args.Value("--length"), 1, room, &length)) {
    return UsageError(run, "--length must be a number from 1 to " + std::to_string(room) +
                               " at offset " + std::to_string(offset) + " of the " + area.name +
                               " area (" + std::to_string(area.size) + " bytes)");
  }
  transfer->length = static_cast<int>(length);
  return kContinue;
}

JsonValue TransferJson(const FoundToken& token, const Transfer& transfer, size_t length) {
  return TokenFields(token)
      .Set("area", JsonValue::String(transfer.area->name))
      .Set("offset", JsonValue::Number(transfer.offset))
      .Set("length", JsonValue::Number(static_cast<int64_t>(length)));
}

int ReadArea(TokenHandle handle, const Transfer& transfer, std::vector<uint8_t>* data) {
  data->assign(static_cast<size_t>(transfer.length), 0);
  if (IsArea(*transfer.area, "secure")) {
    int received = transfer.length;
    const int result =
        TokenSecureReadStorage(handle, TokenAccessKey(), transfer.offset, &received, data->data());
    if (result == 0) data->resize(static_cast<size_t>(received));
    return result;
  }
  if (IsArea(*transfer.area, "memory")) {
    return TokenReadMemory(handle, transfer.offset, transfer.length, data->data());
  }
  return TokenReadStorage(handle, transfer.offset, transfer.length, data->data());
}

// written: the bytes the token confirmed, from the offset on (a failed write
// of several chunks keeps the chunks written before it stopped).
int WriteArea(TokenHandle handle, const Transfer& transfer, const std::vector<uint8_t>& data,
              int* written) {
  const int length = static_cast<int>(data.size());
  if (IsArea(*transfer.area, "secure")) {
    return TokenSecureWriteStorageCounted(handle, TokenAccessKey(), transfer.offset, length,
                                          data.data(), written);
  }
  if (IsArea(*transfer.area, "memory")) {
    // One command: written in full or not at all.
    const int result = TokenWriteMemory(handle, transfer.offset, length, data.data());
    *written = result == 0 ? length : 0;
    return result;
  }
  return TokenWriteStorageCounted(handle, transfer.offset, length, data.data(), written);
}

// "; 224 of 500 bytes (offsets 1000 to 1223) were written before it stopped".
std::string WriteProgress(const Transfer& transfer, size_t total, int written) {
  std::string text = "; " + std::to_string(written) + " of " + std::to_string(total) + " bytes";
  if (written > 0) {
    text += " (offsets " + std::to_string(transfer.offset) + " to " +
            std::to_string(transfer.offset + written - 1) + ")";
  }
  return text + (written == 1 ? " was" : " were") + " written before it stopped";
}

int RunRead(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand(
      "storage read", kHelp, args,
      {{"--area", true}, {"--offset", true}, {"--length", true}, {"--out", true}, {"--hex", false}},
      0, leading, &run);
  if (status != kContinue) return status;
  Transfer transfer;
  status = ParseTransfer(run, true, &transfer);
  if (status != kContinue) return status;
  if (run.args.Has("--out") && run.args.Has("--hex")) {
    return UsageError(run, "--out and --hex cannot be used together");
  }
  FoundToken token;
  status = SelectTokenFor(run, &token);
  if (status != kContinue) return status;

  std::vector<uint8_t> data;
  if (ReadArea(token.handle, transfer, &data) != 0) {
    return ReportTokenFailure(run.output,
                              std::string("reading the ") + transfer.area->name + " area");
  }
  JsonValue fields = TransferJson(token, transfer, data.size());
  if (run.args.Has("--out")) {
    const std::string path = run.args.Value("--out");
    std::string error;
    if (!WriteDataFile(path, data, &error)) return ReportFailure(run.output, error);
    run.output.Success(fields.Set("file", JsonValue::String(path)),
                       std::to_string(data.size()) + " bytes from token " + token.uid +
                           " written to " + path + "\n");
  } else if (run.output.json() || run.args.Has("--hex") || StdoutIsTerminal()) {
    const std::string hex = FormatHex(data);
    run.output.Success(fields.Set("data", JsonValue::String(hex)), hex + "\n");
  } else if (!WriteRawToStdout(data)) {
    return kExitFailed;  // said once, when standard output is closed (FinishStandardOutput)
  }
  return kExitSuccess;
}

int RunWrite(const CommandArgs& args, const GlobalOptions& leading) {
  CommandRun run;
  int status = StartCommand("storage write", kHelp, args,
                            {{"--area", true},
                             {"--offset", true},
                             {"--length", true},
                             {"--in", true},
                             {"--hex", true},
                             {"--text", true}},
                            0, leading, &run);
  if (status != kContinue) return status;
  Transfer transfer;
  status = ParseTransfer(run, false, &transfer);
  if (status != kContinue) return status;
  const size_t room = static_cast<size_t>(transfer.area->size - transfer.offset);
  std::vector<uint8_t> data;
  std::string error;
  if (!ReadInputData(run.args, room, &data, &error)) {
    return UsageError(run, error + " (" + std::to_string(room) + " bytes fit at offset " +
                               std::to_string(transfer.offset) + ")");
  }
  if (data.empty()) return UsageError(run, "no bytes to write");
  if (run.args.Has("--length") && static_cast<size_t>(transfer.length) != data.size()) {
    return UsageError(run, "--length " + std::to_string(transfer.length) + " does not match the " +
                               std::to_string(data.size()) + " bytes given");
  }
  run.changesToken = true;
  FoundToken token;
  status = SelectTokenFor(run, &token);
  if (status != kContinue) return status;

  int written = 0;
  if (WriteArea(token.handle, transfer, data, &written) != 0) {
    return ReportTokenFailure(run.output,
                              std::string("writing the ") + transfer.area->name + " area",
                              WriteProgress(transfer, data.size(), written),
                              JsonValue::Object().Set("written", JsonValue::Number(written)));
  }
  run.output.Success(TransferJson(token, transfer, data.size()),
                     std::to_string(data.size()) + " bytes written to the " + transfer.area->name +
                         " area at offset " + std::to_string(transfer.offset) + " of token " +
                         token.uid + "\n");
  return kExitSuccess;
}

}  // namespace

int RunStorage(const CommandArgs& args, const GlobalOptions& leading) {
  const std::string action = args.empty() ? "" : args[0];
  const CommandArgs rest = args.empty() ? args : CommandArgs(args.begin() + 1, args.end());
  if (action == "read") return RunRead(rest, leading);
  if (action == "write") return RunWrite(rest, leading);
  CommandRun run;
  const int status = StartCommand("storage", kHelp, args, {}, 1, leading, &run);
  if (status != kContinue) return status;
  return UsageError(run, "read or write must follow 'storage'");
}

}  // namespace quill
