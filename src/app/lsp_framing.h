// The language server's wire: JSON-RPC messages, each a header block
// ("Content-Length: N", blank line) followed by N bytes of JSON.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace sb {

// A message body larger than this is read past and refused, never held.
constexpr std::size_t kMaxMessageBytes = 64u * 1024u * 1024u;

struct FramedMessage {
  std::string body;
  // Why the message cannot be used (no or a bad Content-Length, too large);
  // empty when `body` holds it whole.
  std::string fault;
};

// The next message; nothing at the end of the stream (or in the middle of a
// header block or body that never ends).
std::optional<FramedMessage> read_message(std::istream& in);

void write_message(std::ostream& out, const std::string& body);

}  // namespace sb
