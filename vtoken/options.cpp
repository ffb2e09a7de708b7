#include "options.h"

#include <set>

#include "config.h"

namespace quill {
namespace {

bool ParsePort(const std::string& text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

// KIND:MODEL[:PORT]
bool ParseTokenArgument(const std::string& text, TokenSpec* spec, std::string* error) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) {
    *error = "--token takes KIND:MODEL[:PORT], not \"" + text + "\"";
    return false;
  }
  if (!ParseKindName(parts[0], &spec->kind)) {
    *error = "unknown token kind \"" + parts[0] + "\" (hid or cdrom)";
    return false;
  }
  if (!ParseModelName(parts[1], &spec->model)) {
    *error = "unknown token model \"" + parts[1] + "\" (A or B)";
    return false;
  }
  if (parts.size() == 3 && !ParsePort(parts[2], &spec->port)) {
    *error = "bad port \"" + parts[2] + "\" (0..65535)";
    return false;
  }
  return true;
}

bool ParseByte(const std::string& text, uint8_t* value) {
  uint16_t number = 0;
  if (!ParsePort(text, &number) || number > 255) return false;
  *value = static_cast<uint8_t>(number);
  return true;
}

bool IsTokenSetting(const std::string& name) {
  return name == "--uid" || name == "--password" || name == "--version-text" ||
         name == "--identity" || name == "--request-enabled" || name == "--usage-tag";
}

// One of the options that apply to the preceding --token.
bool ParseTokenSetting(const std::string& name, const std::string& value, TokenSpec* spec,
                       std::string* error) {
  TokenSettings& settings = spec->settings;
  if (name == "--uid") {
    TokenUidValue uid;
    if (!ParseHexKey(value, uid.data(), uid.size())) {
      *error = "--uid takes 64 hexadecimal digits";
      return false;
    }
    spec->uid = uid;
    return true;
  }
  if (name == "--request-enabled") {
    if (!ParseByte(value, &settings.requestEnabled)) {
      *error = "--request-enabled takes a number 0..255, not \"" + value + "\"";
      return false;
    }
    return true;
  }
  if (name == "--password") {
    settings.password = value;
  } else if (name == "--version-text") {
    settings.versionText = value;
  } else if (name == "--identity") {
    settings.identity = value;
  } else {
    settings.usageTag = value;
  }
  std::string reason;
  if (!CheckTokenSettings(settings, &reason)) {
    *error = name + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace

bool ParseVtokenOptions(const std::vector<std::string>& args, VtokenOptions* options,
                        std::string* error) {
  *options = VtokenOptions();
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      options->help = true;
      return true;
    }
    if (name != "--token" && name != "--control" && name != "--ready-file" && name != "--state" &&
        !IsTokenSetting(name)) {
      *error = "unknown argument \"" + args[i] + "\"";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        *error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (name == "--token") {
      TokenSpec spec;
      if (!ParseTokenArgument(value, &spec, error)) return false;
      options->tokens.push_back(spec);
      options->settingsGiven.emplace_back();
    } else if (IsTokenSetting(name)) {
      if (options->tokens.empty()) {
        *error = name + " must follow the --token it applies to";
        return false;
      }
      if (!ParseTokenSetting(name, value, &options->tokens.back(), error)) return false;
      options->settingsGiven.back().push_back(name);
    } else if (name == "--control") {
      if (!ParsePort(value, &options->controlPort)) {
        *error = "bad control port \"" + value + "\" (0..65535)";
        return false;
      }
      options->control = true;
    } else {
      if (value.empty()) {
        *error = name + " needs a file name";
        return false;
      }
      (name == "--state" ? options->stateFile : options->readyFile) = value;
    }
  }
  if (options->tokens.empty()) {
    options->tokens.push_back(TokenSpec());
    options->settingsGiven.emplace_back();
  }

  std::set<uint16_t> ports;
  if (options->control && options->controlPort != 0) ports.insert(options->controlPort);
  for (const TokenSpec& spec : options->tokens) {
    if (spec.port != 0 && !ports.insert(spec.port).second) {
      *error = "port " + std::to_string(spec.port) + " is given twice";
      return false;
    }
  }
  return true;
}

std::string VtokenUsage() {
  return "usage: quill-vtoken [--token KIND:MODEL[:PORT] [TOKEN OPTION]...]... [--control PORT]\n"
         "                    [--ready-file FILE] [--state FILE]\n"
         "\n"
         "Serves virtual Quill tokens on 127.0.0.1, one TCP port per token.\n"
         "\n"
         "  --token KIND:MODEL[:PORT]  add a token: KIND hid or cdrom, MODEL A or B,\n"
         "                             PORT 0 or absent for an ephemeral port\n"
         "                             (default: one hid token of model A)\n"
         "  --control PORT             open the control socket (0: ephemeral port)\n"
         "  --ready-file FILE          also write the ready lines to FILE (atomically)\n"
         "  --state FILE               load the tokens' state from FILE (created when\n"
         "                             missing) and save it after every change\n"
         "  --help                     show this text\n"
         "\n"
         "Token options apply to the preceding --token (starting values when the\n"
         "state file has no entry for the token; otherwise they are ignored, with a\n"
         "warning):\n"
         "  --uid HEX64                the 32-byte UID value (64 hex digits)\n"
         "  --password TEXT            the password (at most 64 bytes; default 12345678)\n"
         "  --version-text TEXT        the version text (at most 8 bytes; default \"QVT 0001\")\n"
         "  --identity TEXT            the identity text (at most 8 bytes; default QUILLVT1)\n"
         "  --request-enabled N        the request-enabled byte, 0..255 (default 1)\n"
         "  --usage-tag TEXT           the usage tag (at most 32 bytes; default login)\n"
         "\n"
         "When every listener is up, prints \"token N KIND MODEL 127.0.0.1:PORT\" per token,\n"
         "\"control 127.0.0.1:PORT\" with --control, then \"ready\". Runs until SIGTERM,\n"
         "SIGINT or the control command quit. The frame key comes from QUILL_FRAME_KEY,\n"
         "the access key from QUILL_ACCESS_KEY.\n";
}

}  // namespace quill
