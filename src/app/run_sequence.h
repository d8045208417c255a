// The start-up run: the fixed sequence the program performs when started
// without arguments, in its own directory.
#pragma once

#include <string>

#include "app/platform.h"
#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

// Shows " Errore n. " and the number, waits for OK; returns the exit status
// with which the program then ends.
int errore(Platform& platform, const std::string& a);

// Writes the five documents, reads the descriptions back, completes the
// track and writes the compiled files, all through `files`. Returns the exit
// status; `model` is left as the run left it.
int run_sequence(Platform& platform, FileDoor& files, ScenarioModel& model);

// Form_Load: the run in the program's own directory.
int form_load(Platform& platform);

}  // namespace sb
