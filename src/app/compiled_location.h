// Finding one scenario's compiled files from what a person names: a
// directory that holds them, or any one of the three files, whose siblings
// are found by name (ROUTE_linea.dat, ROUTE_TRAIN.sim, ROUTE_TRAIN.dat).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "decode/compiled_reader.h"

namespace sb {

// A path that names no compiled scenario, or names several.
class LocationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LocatedScenario {
  std::string directory;
  CompiledNames names;  // file names within `directory`; empty when absent
  bool operator==(const LocatedScenario& o) const {
    return directory == o.directory && names.profile == o.names.profile && names.header == o.names.header &&
           names.track == o.names.track;
  }
};

LocatedScenario locate_compiled(const std::string& path);

// Each path located; paths that name the same scenario give it once.
std::vector<LocatedScenario> locate_all(const std::vector<std::string>& paths);

}  // namespace sb
