#include "app/serve_address.h"

#include <cctype>

namespace sb {

std::optional<ServeAddress> parse_serve_address(const std::string& text) {
  ServeAddress a;
  std::string port = text;
  const auto colon = text.rfind(':');
  if (colon != std::string::npos) {
    a.host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (a.host.size() >= 2 && a.host.front() == '[' && a.host.back() == ']')
      a.host = a.host.substr(1, a.host.size() - 2);
    if (a.host.empty()) return std::nullopt;
    a.explicit_host = true;
  }
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  a.port = std::stoi(port);
  if (a.port > 65535) return std::nullopt;
  return a;
}

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool host_header_allowed(const std::string& host, const ServeAddress& address, int port) {
  const std::string suffix = ":" + std::to_string(port);
  const std::string h = lower(host);
  if (h.size() <= suffix.size() || h.compare(h.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  const std::string name = h.substr(0, h.size() - suffix.size());
  if (name == "localhost" || name == "127.0.0.1" || name == "[::1]") return true;
  if (!address.explicit_host) return false;
  const std::string given = lower(address.host);
  return name == given || name == "[" + given + "]";
}

}  // namespace sb
