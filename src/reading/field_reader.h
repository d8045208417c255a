// The lexer both description readers share: the file as one stream of
// comma-separated fields, where a line end counts as a comma.
//
//  - A text field skips leading blanks and runs to the next comma or line
//    end; the separator is consumed with it; trailing blanks are dropped.
//  - An integer field starts at its first non-blank character and ends at a
//    blank, comma or line end; the blanks after it and then one comma or line
//    end are consumed. A field of blanks only reads 0.
//  - Reading when the file is at its end, a number that is not a decimal
//    integer, one that does not fit 32 bits, or a field longer than any
//    record can hold is a run-time failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/diagnostics.h"
#include "model/file_door.h"

namespace sb {

constexpr std::size_t kMaxFieldLength = 65535;

class FieldReader {
 public:
  FieldReader(std::unique_ptr<InputSource> source, std::string file_name);

  // True once every byte of the file has been consumed.
  bool at_end();

  std::string read_text();
  std::int32_t read_int();

  // Where the field just read started (1-based line and column).
  const SourcePlace& place() const { return place_; }
  // Keeps *mirror equal to place(), so a failure after a field was read (a
  // value its target cannot hold) can be reported at that field.
  void mirror_place_to(SourcePlace* mirror) { mirror_ = mirror; }

 private:
  int peek();
  void advance();
  bool at_line_end();
  void consume_separator();
  void skip_blanks();
  void start_field();

  std::unique_ptr<InputSource> source_;
  // Filled by reads before it is looked at, so never cleared.
  std::unique_ptr<char[]> buf_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool exhausted_ = false;
  int line_ = 1;
  int column_ = 1;
  SourcePlace place_;
  SourcePlace* mirror_ = nullptr;
};

}  // namespace sb
