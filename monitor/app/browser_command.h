// Where the browser command for the logon URL comes from: the open command
// of the "HTTP" class, the open command of Internet Explorer, or an
// environment variable that names the program.
#pragma once

#include <cstddef>
#include <string>

#include "ports/monitor_ports.h"

namespace quill {

constexpr char16_t kHttpOpenCommandKey[] = u"HTTP\\shell\\open\\command\\";
constexpr char16_t kIeOpenCommandKey[] = u"Applications\\iexplore.exe\\shell\\open\\command\\";

// The registry's open command is read offering this many bytes. A command
// that does not fit the offer is a failed read (the system returns nothing
// rather than a cut text), so the offer is generous: 2047 characters and
// the terminator. Whether the program then fits the 260-character command
// line is decided when the command line is built, which refuses to start a
// command line that does not fit whole.
constexpr size_t kOpenCommandOfferedBytes = 4096;

// The longest environment value used as the program path (260 characters
// or more is refused).
constexpr size_t kMaxEnvironmentCommandCharacters = 260;

// The program part of an open command: up to and including the closing
// quote when the command begins with a quote (the whole text when there is
// none), else the whole command, arguments and placeholders included.
std::u16string ProgramOfOpenCommand(const std::u16string& command);

// The HTTP class's default open command, its program part only; empty when
// it cannot be read (failures are not reported).
std::u16string ReadHttpCommand(RegistryPort& registry);
// The same for Internet Explorer's open command; the value is read only
// when the key opens.
std::u16string ReadIeCommand(RegistryPort& registry);

// The environment variable `name`: 0 with its value; 1 when it does not
// exist or is empty; 2 when the value has 261 characters or more.
int ReadEnvironmentCommand(SystemPort& system, const std::u16string& name, std::u16string* value);

}  // namespace quill
