#include "app/lsp_framing.h"

#include <cctype>
#include <string_view>

namespace sb {

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A header line without its CR LF (a bare LF ends one too); nothing at the
// end of the stream. Header lines are short: a longer one is cut.
std::optional<std::string> header_line(std::istream& in) {
  std::string line;
  for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (line.size() < 1024) line.push_back(static_cast<char>(c));
  }
  return std::nullopt;
}

// The decimal value of a Content-Length header, or nothing when it is not a
// plain number that fits.
std::optional<std::size_t> length_value(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  if (v.empty() || v.size() > 15) return std::nullopt;
  std::size_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

}  // namespace

std::optional<FramedMessage> read_message(std::istream& in) {
  std::optional<std::size_t> length;
  bool bad_length = false;
  bool any_header = false;
  for (;;) {
    auto line = header_line(in);
    if (!line) return std::nullopt;
    if (line->empty()) {
      // Blank lines before a header block are noise, not an empty block.
      if (!any_header) continue;
      break;
    }
    any_header = true;
    const auto colon = line->find(':');
    if (colon == std::string::npos) continue;
    if (lower(std::string_view(*line).substr(0, colon)) == "content-length") {
      length = length_value(std::string_view(*line).substr(colon + 1));
      if (!length) bad_length = true;
    }
  }
  FramedMessage m;
  if (!length) {
    m.fault = bad_length ? "the Content-Length header is not a number" : "the message has no Content-Length header";
    return m;
  }
  if (*length > kMaxMessageBytes) {
    // Read past it so the next message is found.
    in.ignore(static_cast<std::streamsize>(*length));
    if (static_cast<std::size_t>(in.gcount()) < *length) return std::nullopt;
    m.fault = "the message is larger than " + std::to_string(kMaxMessageBytes) + " bytes";
    return m;
  }
  m.body.resize(*length);
  in.read(m.body.data(), static_cast<std::streamsize>(*length));
  if (static_cast<std::size_t>(in.gcount()) < *length) return std::nullopt;
  return m;
}

void write_message(std::ostream& out, const std::string& body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace sb
