// A line description held in memory, read by the line half of the reader.
#pragma once

#include <initializer_list>
#include <string>

#include "model/file_names.h"
#include "model/memory_files.h"
#include "model/scenario_model.h"
#include "reading/memorizza_dati.h"

namespace sb::testing {

// Lines joined with CR LF, as the document writer writes them.
inline std::string crlf(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// A general region with nothing but the route length, ready for free lines.
inline std::string general(std::int32_t route_length) {
  return crlf({"[generale]", "lunghezza percorso, " + std::to_string(route_length), "[curve]"});
}

struct LineFixture {
  ScenarioModel model;
  MemoryFiles files;
  int boardSlot = 0;

  explicit LineFixture(int profile_wanted = 0) {
    model.RouteName = "ORSEA_MONTELBA";
    model.TrainCode = "RX17";
    model.ProfileWanted = profile_wanted;
  }
  std::string line_name() const { return line_description_name(model.RouteName); }
  std::string service_name() const { return service_description_name(model.RouteName, model.TrainCode); }

  // The line half alone; a service description stands beside it to show
  // whether it is touched.
  LineOutcome read(const std::string& text) {
    files.files[line_name()] = text;
    files.files[service_name()] = "[generale]\r\n";
    ReadingContext context{model, files};
    const LineOutcome outcome = read_line_description(context);
    boardSlot = context.boardSlot;
    return outcome;
  }
  bool line_kept() { return files.exists(line_name()); }
  bool service_kept() { return files.exists(service_name()); }
};

}  // namespace sb::testing
