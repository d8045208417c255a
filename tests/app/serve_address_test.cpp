#include "app/serve_address.h"

#include <gtest/gtest.h>

namespace sb {
namespace {

TEST(ServeAddress, PortAloneListensOnLoopbackAndAnAddressOnlyWhenGiven) {
  const auto port_only = parse_serve_address("8080");
  ASSERT_TRUE(port_only);
  EXPECT_EQ(port_only->host, "127.0.0.1");
  EXPECT_EQ(port_only->port, 8080);
  EXPECT_FALSE(port_only->explicit_host);
  const auto v6 = parse_serve_address("[::1]:9000");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->host, "::1");
  EXPECT_TRUE(v6->explicit_host);
  const auto any = parse_serve_address("192.168.1.20:80");
  ASSERT_TRUE(any);
  EXPECT_EQ(any->host, "192.168.1.20");
  EXPECT_EQ(any->port, 80);
  for (const char* bad : {"", "http", ":80", "127.0.0.1:", "1:65536", "80x", "123456", "-1"}) {
    EXPECT_FALSE(parse_serve_address(bad)) << bad;
  }
}

TEST(ServeAddress, HostHeaderMustNameThisServer) {
  const ServeAddress loopback = *parse_serve_address("8080");
  for (const char* ok : {"127.0.0.1:8080", "localhost:8080", "LOCALHOST:8080", "[::1]:8080"}) {
    EXPECT_TRUE(host_header_allowed(ok, loopback, 8080)) << ok;
  }
  for (const char* refused : {"", "127.0.0.1", "127.0.0.1:80", "127.0.0.1:18080", "evil.example:8080",
                              "localhost.evil.example:8080", "192.168.1.20:8080", "127.0.0.1:8080:8080"}) {
    EXPECT_FALSE(host_header_allowed(refused, loopback, 8080)) << refused;
  }
  const ServeAddress given = *parse_serve_address("192.168.1.20:8080");
  EXPECT_TRUE(host_header_allowed("192.168.1.20:8080", given, 8080));
  EXPECT_FALSE(host_header_allowed("192.168.1.21:8080", given, 8080));
}

}  // namespace
}  // namespace sb
