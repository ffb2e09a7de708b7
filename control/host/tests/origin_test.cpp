// Origins as browsers print them, the forged and malformed ones a page or a
// broken caller may send, and the patterns of the origin policy.
#include "origin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quill::host {
namespace {

TEST(OriginTest, AcceptsOriginsAsBrowsersPrintThem) {
  struct Case {
    const char* text;
    const char* host;
    OriginHostKind kind;
    uint16_t port;
  };
  const Case cases[] = {
      {"https://a.example", "a.example", OriginHostKind::kDomain, 0},
      {"http://localhost:8080", "localhost", OriginHostKind::kDomain, 8080},
      {"https://xn--bcher-kva.example", "xn--bcher-kva.example", OriginHostKind::kDomain, 0},
      {"https://a-b.c0.example:65535", "a-b.c0.example", OriginHostKind::kDomain, 65535},
      {"http://a.example:443", "a.example", OriginHostKind::kDomain, 443},  // not http's default
      {"https://a.example:80", "a.example", OriginHostKind::kDomain, 80},
      {"https://0x1g.example", "0x1g.example", OriginHostKind::kDomain, 0},  // not a number
      {"http://127.0.0.1:8000", "127.0.0.1", OriginHostKind::kIpv4, 8000},
      {"https://0.0.0.0", "0.0.0.0", OriginHostKind::kIpv4, 0},
      {"https://255.255.255.255", "255.255.255.255", OriginHostKind::kIpv4, 0},
      {"http://[::1]:3000", "[::1]", OriginHostKind::kIpv6, 3000},
      {"https://[::]", "[::]", OriginHostKind::kIpv6, 0},
      {"https://[2001:db8::1]", "[2001:db8::1]", OriginHostKind::kIpv6, 0},
      {"https://[1::]", "[1::]", OriginHostKind::kIpv6, 0},
      {"https://[1:0:0:2::3]", "[1:0:0:2::3]", OriginHostKind::kIpv6, 0},  // first longest run
      {"https://[1:2:3:4:5:6:7:8]", "[1:2:3:4:5:6:7:8]", OriginHostKind::kIpv6, 0},
      {"https://[1:0:2:3:4:5:6:7]", "[1:0:2:3:4:5:6:7]", OriginHostKind::kIpv6, 0},
  };
  for (const Case& c : cases) {
    std::string problem;
    const std::optional<WebOrigin> origin = ParseOrigin(c.text, &problem);
    ASSERT_TRUE(origin) << c.text << ": " << problem;
    EXPECT_EQ(origin->host, c.host) << c.text;
    EXPECT_EQ(origin->hostKind, c.kind) << c.text;
    EXPECT_EQ(origin->port, c.port) << c.text;
    EXPECT_EQ(origin->ToString(), c.text);
  }
  const std::string longest = std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                              std::string(63, 'c') + "." + std::string(61, 'd');
  EXPECT_TRUE(ParseOrigin("https://" + longest));
}

TEST(OriginTest, RefusesForgedAndMalformedOrigins) {
  const std::string tooLong = std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                              std::string(63, 'c') + "." + std::string(62, 'd');
  const std::string longLabel = "https://" + std::string(64, 'a') + ".example";
  for (const std::string& text : std::vector<std::string>{
           "", "null", "https", "https://", "file:///x", "file://host", "javascript:alert(1)",
           "chrome-extension://abcdefghijklmnopabcdefghijklmnop",
           "moz-extension://0b1a1e5e-0000-4000-8000-000000000000", "ws://a.example",
           "data:text/html,x", "HTTPS://A.EXAMPLE", "Https://a.example", "https://A.example",
           "https://a.example/", "https://a.example/path", "https://a.example?q",
           "https://a.example#f", "https://a.example:443", "http://a.example:80",
           "https://a.example:0", "https://a.example:65536", "https://a.example:99999999999",
           "https://a.example:0443", "https://a.example:", "https://a.example:+1",
           "https://a.example: 1", "https://a.example:1:2", "https://user@a.example",
           "https://user:pw@a.example", "https://a.example@b.example", "https://a.example\\@b",
           "https://a.example\\", "https://a.example.", "https://a..example", "https://.a.example",
           "https://-a.example", "https://a-.example", "https://a_b.example", "https://a example",
           " https://a.example", "https://a.example ", "https://a.example\t", "https://a%2eexample",
           "https:/a.example", "https:a.example", "//a.example", "https://\xc3\xa9.example",
           "https://" + tooLong, longLabel, std::string("https://a.example\0.b", 20),
           // Hosts a browser reads as IPv4 addresses and prints otherwise.
           "https://1.2.3", "https://01.2.3.4", "https://256.1.1.1", "https://1.2.3.4.5",
           "https://0x7f.0.0.1", "https://a.0x10", "https://a.1", "https://12345",
           // IPv6 addresses as no browser prints them.
           "https://[::1", "https://::1", "https://[::0001]", "https://[0:0:0:0:0:0:0:1]",
           "https://[::FFFF]", "https://[::ffff:1.2.3.4]", "https://[1::2::3]",
           "https://[1:2:3:4:5:6:7:8:9]", "https://[1:2:3:4:5:6:7]", "https://[1:2:3:4:5:6::7:8]",
           "https://[1:0:2:3:4:5:6::]", "https://[1::0:2]", "https://[::1%25eth0]", "https://[]",
           "https://[::1]:443", "https://[::1]x", "https://[::1]:0"}) {
    std::string problem;
    EXPECT_FALSE(ParseOrigin(text, &problem)) << "accepted: " << text;
    EXPECT_FALSE(problem.empty()) << text;
  }
}

bool Matches(const char* pattern, const char* origin) {
  const std::optional<OriginPattern> parsed = ParseOriginPattern(pattern);
  const std::optional<WebOrigin> parsedOrigin = ParseOrigin(origin);
  EXPECT_TRUE(parsed) << pattern;
  EXPECT_TRUE(parsedOrigin) << origin;
  return parsed && parsedOrigin && PatternMatches(*parsed, *parsedOrigin);
}

TEST(OriginTest, MatchesExactSubdomainAndAnyPatterns) {
  EXPECT_TRUE(Matches("https://a.example", "https://a.example"));
  EXPECT_FALSE(Matches("https://a.example", "http://a.example"));
  EXPECT_FALSE(Matches("https://a.example", "https://a.example:8443"));
  EXPECT_FALSE(Matches("https://a.example", "https://b.a.example"));
  EXPECT_TRUE(Matches("http://[::1]:8080", "http://[::1]:8080"));

  EXPECT_TRUE(Matches("https://*.example", "https://a.example"));
  EXPECT_TRUE(Matches("https://*.example", "https://x.y.example"));
  EXPECT_FALSE(Matches("https://*.example", "https://example"));
  EXPECT_FALSE(Matches("https://*.example", "https://aexample"));
  EXPECT_FALSE(Matches("https://*.example", "https://a.example.other"));
  EXPECT_FALSE(Matches("https://*.example", "http://a.example"));
  EXPECT_FALSE(Matches("https://*.example", "https://a.example:8443"));
  EXPECT_TRUE(Matches("https://*.example:8443", "https://a.example:8443"));
  EXPECT_FALSE(Matches("https://*.example:8443", "https://a.example"));
  EXPECT_FALSE(Matches("http://*.example", "http://10.0.0.1"));

  for (const char* origin : {"https://a.example", "http://127.0.0.1:1", "https://[::1]"}) {
    EXPECT_TRUE(Matches("*", origin)) << origin;
  }
}

TEST(OriginTest, RefusesMalformedPatterns) {
  for (const char* text :
       {"", "**", "*.example", "https://*", "https://*.", "https://*example", "https://a.*.example",
        "https://*.*.example", "*://a.example", "https://*.example/", "https://*.example:443",
        "https://*.EXAMPLE", "https://*.127.0.0.1", "https://*.[::1]", "https://a.example.", "null",
        "file:///x", " *"}) {
    std::string problem;
    EXPECT_FALSE(ParseOriginPattern(text, &problem)) << "accepted: " << text;
    EXPECT_FALSE(problem.empty()) << text;
  }
}

}  // namespace
}  // namespace quill::host
