// Recorded errors are numbers in the model; they are set through one function
// that also hands the number and the place it came from to a sink. The
// start-up run has no sink; `compile` prints from one.
#pragma once

#include <string>

namespace sb {

class ScenarioModel;

// A place in a description file. line 0 means "no place" (track completion).
struct SourcePlace {
  std::string file;
  int line = 0;
  int column = 0;
  bool known() const { return line > 0; }
};

class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  // `detail` says more than the number's meaning where there is more (the
  // cause of a read failure); it may be empty.
  virtual void recorded_error(int code, const SourcePlace& where, const std::string& detail) = 0;
  // A field passed over that looks like a misspelt keyword, and the like.
  virtual void warning(const std::string& message, const SourcePlace& where) {
    (void)message;
    (void)where;
  }
  // False when warnings would be neither shown nor counted: the readers then
  // spare themselves the work of finding them.
  virtual bool wants_warnings() const { return true; }
};

struct Diagnostics {
  DiagnosticSink* sink = nullptr;
  // The field that the entry being handled came from; readers keep it current.
  SourcePlace place;
  // The field read last; where a run-time failure while reading is reported.
  SourcePlace last_field;
};

// ErrorCode := code, reported at the current place.
void record_error(ScenarioModel& model, int code);
// The same, at an explicit place.
void record_error(ScenarioModel& model, int code, const SourcePlace& where, const std::string& detail = {});
void record_warning(ScenarioModel& model, const std::string& message, const SourcePlace& where);

}  // namespace sb
