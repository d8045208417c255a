// The field reader over arbitrary bytes. The first byte chooses the pattern of
// text and integer reads, the second how many bytes the file hands out per
// read (0: all); the rest is the file. The only way a read may fail
// is a RuntimeFailure, and every text field obeys the lexer's rules.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "model/runtime_failure.h"
#include "reading/field_reader.h"

namespace {

void check_text_field(const std::string& text) {
  using sb::fuzz::require;
  require(text.size() <= sb::kMaxFieldLength, "text field longer than the limit");
  require(text.find_first_of(",\r\n") == std::string::npos, "separator inside a text field");
  require(text.empty() || (text.front() != ' ' && text.front() != '\t'), "leading blank kept");
  require(text.empty() || (text.back() != ' ' && text.back() != '\t'), "trailing blank kept");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned pattern = data[0];
  const std::size_t chunk = data[1];
  sb::FieldReader reader(std::make_unique<sb::StringSource>(sb::fuzz::bytes_of(data + 2, size - 2), chunk), "fuzz.txt");
  int last_line = 1;
  try {
    for (unsigned i = 0; !reader.at_end(); ++i) {
      if ((pattern >> (i % 8)) & 1u) {
        (void)reader.read_int();
      } else {
        check_text_field(reader.read_text());
      }
      sb::fuzz::require(reader.place().line >= last_line, "line number went backwards");
      sb::fuzz::require(reader.place().column >= 1, "column below 1");
      last_line = reader.place().line;
    }
    // Reading at the end is a run-time failure, never a value.
    (void)reader.read_text();
    sb::fuzz::broken("a read at the end of the file returned");
  } catch (const sb::RuntimeFailure&) {
  }
  return 0;
}
