// Reading compiled files back (inspect, plot): the input holds a header
// file, a track file and a profile file, their first two lengths in the
// input's first four bytes (little-endian uint16 each). Whatever the bytes,
// reading, the report, its JSON form and the drawing must end normally.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "author/inspect_report.h"
#include "author/svg_plot.h"
#include "decode/compiled_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::size_t header_size = data[0] | (data[1] << 8);
  const std::size_t track_size = data[2] | (data[3] << 8);
  const std::string rest = sb::fuzz::bytes_of(data + 4, size - 4);
  const std::string header = rest.substr(0, header_size);
  const std::string track = rest.substr(std::min(rest.size(), header_size), track_size);
  const std::string profile = rest.substr(std::min(rest.size(), header_size + track_size));

  sb::MemoryFiles files;
  files.files["s.sim"] = header;
  files.files["s.dat"] = track;
  files.files["s_linea.dat"] = profile;
  const sb::LocatedScenario where{".", {"s_linea.dat", "s.sim", "s.dat"}};
  const sb::CompiledScenario scenario = sb::read_compiled(files, where.names);
  std::ostringstream out;
  sb::print_inspection(where, scenario, out);
  // As inspect --json prints it: bytes that are no UTF-8 become U+FFFD.
  out << sb::inspection_json(where, scenario).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  out << sb::scenario_svg(scenario);
  return 0;
}
