#include "bench_inputs.h"

#include <memory>
#include <stdexcept>

#include "model/file_names.h"
#include "model/memory_files.h"
#include "reading/memorizza_dati.h"

namespace sb::bench {

std::string curve_dense_line_description(int length) {
  std::string s = "[generale]\r\nlunghezza percorso,    " + std::to_string(length) + "\r\n";
  s += "progressiva chilometrica uno,    1000,    0,    0\r\n[curve]\r\n";
  int i = 0;
  for (int p = 400; p + 300 < length && p + 300 < 999000; p += 300, ++i) {
    s += std::string("curva") + (i % 2 ? "s" : "d") + std::to_string(1 + i % 6) + ",  " + std::to_string(p) + ",  " +
         std::to_string(100 + 25 * (i % 5)) + "\r\n";
  }
  s += "[pendenze]\r\n";
  for (int p = 0; p < length; p += 1000) {
    s += "pendenza,  " + std::to_string(p) + ",   " + std::to_string((p / 1000 * 7) % 61 - 30) + "\r\n";
  }
  s += "[fine]\r\n";
  return s;
}

std::string signal_lines(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    s += "segnale,  " + std::to_string(1000 + 250 * i) + ",   2, 4, 1,  0, 0,    2,  2,1,0, 215\r\n";
  }
  return s;
}

const ScenarioModel& longest_route_model() {
  static const std::unique_ptr<ScenarioModel> model = [] {
    auto m = std::make_unique<ScenarioModel>();
    m->RouteName = "BENCH";
    m->TrainCode = "TR1";
    m->ProfileWanted = 1;
    MemoryFiles files;
    files.files[line_description_name(m->RouteName)] = curve_dense_line_description(kLongestRoute);
    ReadingContext context{*m, files};
    read_line_description(context);
    if (m->ErrorCode != 0) throw std::runtime_error("the benchmark's line description did not read cleanly");
    return m;
  }();
  return *model;
}

}  // namespace sb::bench
