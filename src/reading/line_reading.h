// Working state of the line description reader while it runs, shared by the
// general-region and free-region parts of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "reading/field_reader.h"
#include "reading/memorizza_dati.h"

namespace sb {

// What the reader does after handling one field.
enum class Step {
  Continue,  // read the next field
  Leave,     // leave the region (general: on to the free region; free: finish normally)
  Stop,      // the description was closed and deleted, the error recorded: stop reading
};

class LineReading {
 public:
  LineReading(ReadingContext& context, std::string name);

  ReadingContext& context;
  ScenarioModel& model;

  std::int32_t gradientCell = 0;  // next cell whose gradient is still to be written
  std::int32_t lastGradient = 0;  // value of the latest gradient line
  std::int32_t planMetre = 2;     // next metre of the plan to compute
  // Position of the latest gradient line; only for the warnings of `compile`.
  std::int64_t lastGradientPosition = -1;

  bool at_end() { return reader_->at_end(); }
  // The next text field, which also becomes InputField.
  std::string read_text();
  std::int32_t read_int() { return reader_->read_int(); }
  // Reads a value that errors of this entry are reported at from now on (a
  // position, a length).
  std::int32_t read_reported_int();
  // The place of the field read last.
  const SourcePlace& field_place() const { return reader_->place(); }
  // Reads a field to be examined as a keyword; its place becomes the place
  // errors of this entry are reported at.
  std::string read_keyword_field();

  // Closes the description and deletes it.
  void close_and_delete();
  // close_and_delete, then ErrorCode := code.
  Step stop_with(int code);

 private:
  std::string name_;
  std::unique_ptr<FieldReader> reader_;
};

// A position p is on the track when (p + 100) / 50 does not exceed the
// track's upper index.
bool on_track(const ScenarioModel& model, std::int32_t p);

// Writes the gradient in force into the cells from gradientCell up to the one
// before `up_to`; the cell at gradientCell is written at least once.
void fill_gradient(LineReading& reading, std::int32_t up_to);

// One field of the general region, after the hyphen rule.
Step examine_general_field(LineReading& reading, const std::string& field);
// One field of the free region, after the hyphen rule.
Step examine_free_field(LineReading& reading, const std::string& field);

}  // namespace sb
