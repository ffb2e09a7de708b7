// A CSystemHelper on a machine made of fakes, with the helpers the tests
// share to arrange that machine and read back what was written.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_files.h"
#include "fake_message_boxes.h"
#include "fake_processes.h"
#include "fake_registry.h"
#include "fake_strings.h"
#include "fake_system.h"
#include "fake_text.h"
#include "system_helper.h"

namespace quill::testing {

inline const std::u16string kMonitorDir = u"C:\\Program Files\\Quill";
inline const std::u16string kMonitorExe = kMonitorDir + u"\\lumoMonitor.exe";

class HelperTest : public ::testing::Test {
 protected:
  HelperTest() {
    system.moduleFileName = kMonitorExe;
    ports.registry = &registry;
    ports.files = &files;
    ports.system = &system;
    ports.text = &text;
    ports.processes = &processes;
    ports.messageBoxes = &boxes;
    ports.strings = &strings;
  }

  // A fresh helper over the ports as they are now.
  CSystemHelper Helper() { return CSystemHelper(ports); }

  static std::vector<uint8_t> Utf16(const std::u16string& value) {
    std::vector<uint8_t> bytes;
    for (char16_t c : value) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
  }

  fake::FakeRegistry registry;
  fake::FakeFiles files;
  fake::FakeSystem system;
  fake::FakeText text;
  fake::FakeProcesses processes;
  fake::FakeMessageBoxes boxes;
  fake::FakeStrings strings;
  MonitorPorts ports;
};

}  // namespace quill::testing
