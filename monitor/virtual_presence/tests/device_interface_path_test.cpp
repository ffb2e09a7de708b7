// Device paths made from hello lines, and the endpoint list.
#include "device_interface_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "endpoint_list.h"

namespace quill {
namespace {

const char kClass[] = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(DevicePathFromHelloTest, HidHelloGivesUpperCaseIdentifiersAndThePort) {
  std::string path;
  ASSERT_TRUE(DevicePathFromHello("QVT1 hid 04b4 b328\n", 40123, &path));
  EXPECT_EQ(path, std::string("\\\\?\\USB#VID_04B4&PID_B328#QVT40123") + kClass);
  ASSERT_TRUE(DevicePathFromHello("QVT1 hid 0a0B c0dE\n", 7, &path));
  EXPECT_EQ(path, std::string("\\\\?\\USB#VID_0A0B&PID_C0DE#QVT7") + kClass);
}

TEST(DevicePathFromHelloTest, CdromHelloTakesTheIdentifiersFromItsPath) {
  std::string path;
  const std::string hello =
      "QVT1 cdrom \\\\?\\usbstor#cdrom&ven_quill&prod_virtual#vid_04b4pid_b708&40125&0#"
      "{53f56308-b6bf-11d0-94f2-00a0c91efb8b}\n";
  ASSERT_TRUE(DevicePathFromHello(hello, 40125, &path));
  EXPECT_EQ(path, std::string("\\\\?\\USB#VID_04B4&PID_B708#QVT40125") + kClass);
  ASSERT_TRUE(DevicePathFromHello("QVT1 cdrom X#VID_04B4&PID_B826#1\n", 9, &path));
  EXPECT_EQ(path, std::string("\\\\?\\USB#VID_04B4&PID_B826#QVT9") + kClass);
}

TEST(DevicePathFromHelloTest, RefusesWhatIsNoHelloOrNamesNoDevice) {
  std::string path = "kept";
  EXPECT_FALSE(DevicePathFromHello("QVT1 hid 04b4 b328", 1, &path)) << "no line feed";
  EXPECT_FALSE(DevicePathFromHello("QVT1 hid 04b4 b3g8\n", 1, &path));
  EXPECT_FALSE(DevicePathFromHello("QVT2 hid 04b4 b328\n", 1, &path));
  EXPECT_FALSE(DevicePathFromHello("QVT1 cdrom vid_04b4#nothing\n", 1, &path));
  EXPECT_FALSE(DevicePathFromHello("QVT1 cdrom vid_04b4pid_b7\n", 1, &path)) << "short pid";
  EXPECT_EQ(path, "kept");
}

TEST(EndpointListTest, KeepsLoopbackEndpointsAndNamesTheRest) {
  std::vector<std::string> rejected;
  const std::vector<LoopbackEndpoint> endpoints = ParseEndpointList(
      "127.0.0.1:40123,,10.0.0.1:5,localhost:7,[::1]:8,127.0.0.1:notaport", &rejected);
  ASSERT_EQ(endpoints.size(), 3u);
  EXPECT_EQ(EndpointText(endpoints[0]), "127.0.0.1:40123");
  EXPECT_EQ(endpoints[1].port, 7);
  EXPECT_EQ(EndpointText(endpoints[2]), "[::1]:8");
  EXPECT_EQ(rejected, (std::vector<std::string>{"10.0.0.1:5", "127.0.0.1:notaport"}));
  EXPECT_TRUE(ParseEndpointList("", &rejected).empty());
}

}  // namespace
}  // namespace quill
