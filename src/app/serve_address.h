// Where the live server listens, and which Host headers name it.
#pragma once

#include <optional>
#include <string>

namespace sb {

struct ServeAddress {
  std::string host = "127.0.0.1";
  int port = 0;  // 0: any free port
  bool explicit_host = false;
};

// "[ADDRESS:]PORT" ("8080", "127.0.0.1:8080", "[::1]:8080"); nullopt when malformed.
std::optional<ServeAddress> parse_serve_address(const std::string& text);

// Whether a Host header names the server listening on `address` at `port`:
// localhost, 127.0.0.1 or [::1] with that port, or the address given.
bool host_header_allowed(const std::string& host, const ServeAddress& address, int port);

}  // namespace sb
