// The drawing of compiled files read back (input as for compiled_reader_fuzz):
// one SVG document for any bytes, its size bounded whatever the route.
#include <cstddef>
#include <cstdint>
#include <string>

#include "author/svg_plot.h"
#include "compiled_input.h"
#include "fuzz_support.h"

namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  sb::fuzz::CompiledInput input = sb::fuzz::compiled_input(data, size);
  const sb::CompiledScenario scenario = sb::fuzz::read_compiled_input(input);
  const std::string svg = sb::scenario_svg(scenario);
  using sb::fuzz::require;
  require(svg.rfind("<?xml ", 0) == 0, "the drawing does not start as an XML document");
  require(svg.size() >= 7 && svg.compare(svg.size() - 7, 7, "</svg>\n") == 0, "the drawing does not end its svg");
  require(count(svg, "<svg") == 1 && count(svg, "</svg>") == 1, "names broke out of their text");
  // Bounded whatever the route: the plan is thinned, the strips drawn per run.
  require(svg.size() < (8u << 20), "the drawing grew past 8 MB");
  return 0;
}
