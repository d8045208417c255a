#include "reading/field_reader.h"

#include <limits>

#include "model/runtime_failure.h"

namespace sb {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
bool is_blank(int c) { return c == ' ' || c == '\t'; }
}  // namespace

FieldReader::FieldReader(std::unique_ptr<InputSource> source, std::string file_name)
    : source_(std::move(source)), buf_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
  place_.file = std::move(file_name);
}

int FieldReader::peek() {
  if (pos_ == len_) {
    if (exhausted_) return -1;
    len_ = source_->read(buf_.get(), kBufferSize);
    pos_ = 0;
    if (len_ == 0) {
      exhausted_ = true;
      return -1;
    }
  }
  return static_cast<unsigned char>(buf_[pos_]);
}

void FieldReader::advance() {
  ++pos_;
  ++column_;
}

bool FieldReader::at_end() { return peek() == -1; }

bool FieldReader::at_line_end() {
  const int c = peek();
  return c == '\r' || c == '\n';
}

// Consumes one comma or one line end (CR LF, LF or a lone CR), if present.
void FieldReader::consume_separator() {
  const int c = peek();
  if (c == ',') {
    advance();
  } else if (c == '\r') {
    advance();
    if (peek() == '\n') advance();
    ++line_;
    column_ = 1;
  } else if (c == '\n') {
    advance();
    ++line_;
    column_ = 1;
  }
}

void FieldReader::skip_blanks() {
  while (is_blank(peek())) advance();
}

void FieldReader::start_field() {
  if (at_end()) {
    place_.line = line_;
    place_.column = column_;
    throw RuntimeFailure(place_, "read past the end of the file");
  }
  skip_blanks();
  place_.line = line_;
  place_.column = column_;
  if (mirror_ != nullptr) *mirror_ = place_;
}

std::string FieldReader::read_text() {
  start_field();
  std::string text;
  // Take the field a buffer's worth at a time rather than byte by byte.
  while (peek() != -1) {
    const char* from = buf_.get() + pos_;
    const char* end = buf_.get() + len_;
    const char* stop = from;
    while (stop != end && *stop != ',' && *stop != '\r' && *stop != '\n') ++stop;
    const auto n = static_cast<std::size_t>(stop - from);
    if (text.size() + n > kMaxFieldLength) {
      throw RuntimeFailure(place_, "field longer than " + std::to_string(kMaxFieldLength) + " characters");
    }
    text.append(from, n);
    pos_ += n;
    column_ += static_cast<int>(n);
    if (stop != end) break;
  }
  consume_separator();
  while (!text.empty() && is_blank(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

std::int32_t FieldReader::read_int() {
  start_field();
  // The token is kept only for an error message; the value is built as the
  // digits go by.
  constexpr std::size_t kLongest = 32;  // longer than any 32-bit number
  char token[kLongest];
  std::size_t length = 0;
  for (int c = peek(); c != -1 && c != ',' && !is_blank(c) && c != '\r' && c != '\n'; c = peek()) {
    if (length == kLongest) break;  // reported below
    token[length++] = static_cast<char>(c);
    advance();
  }
  const auto fail = [&](const char* what) {
    throw RuntimeFailure(place_, std::string(what) + ": '" + std::string(token, length) + "'");
  };
  std::int64_t value = 0;
  if (length > 0) {
    std::size_t i = 0;
    bool negative = false;
    if (token[0] == '+' || token[0] == '-') {
      negative = token[0] == '-';
      i = 1;
    }
    if (i == length || length == kLongest) fail("not a number");
    for (; i < length; ++i) {
      const char d = token[i];
      if (d < '0' || d > '9') fail("not a number");
      value = value * 10 + (d - '0');
      if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) {
        fail("number does not fit 32 bits");
      }
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) fail("number does not fit 32 bits");
  }
  skip_blanks();
  if (peek() == ',' || at_line_end()) consume_separator();
  return static_cast<std::int32_t>(value);
}

}  // namespace sb
