// memorizza_percorso: reset the header, read both descriptions, complete the
// track, store the fixed values and check codes, write the compiled files.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

// A reserved slot was taken (1250 or 1251): the run must end through errore,
// before any compiled file is written.
class FatalError : public std::runtime_error {
 public:
  explicit FatalError(int code) : std::runtime_error("fatal error " + std::to_string(code)), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// The line description never gave a route length, so there is no track to
// complete and nothing is written.
class NoTrackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `inputs` holds the two descriptions (read, then deleted through it);
// `outputs` receives the compiled files.
void memorizza_percorso(ScenarioModel& model, std::int32_t j, FileDoor& inputs, FileDoor& outputs);

// Steps 5 and 6 alone: scan, reserved slots, fixed values and check codes.
void complete_track(ScenarioModel& model);

}  // namespace sb
