// The names of the eight files of a scenario, built from its two identifiers.
#pragma once

#include <string>

namespace sb {

inline std::string line_description_name(const std::string& route) { return route + "_linea.txt"; }
inline std::string service_description_name(const std::string& route, const std::string& train) {
  return route + "_" + train + "-.txt";
}
inline std::string notes_name(const std::string& route, const std::string& train) {
  return route + "_" + train + "_" + "note.txt";
}
inline std::string slowdown_order_name(const std::string& route, const std::string& train) {
  return route + "_" + train + "_" + "rallentamenti.txt";
}
inline std::string timetable_card_name(const std::string& route, const std::string& train) {
  return route + "_" + train + "_" + "scheda_treno.txt";
}
inline std::string profile_file_name(const std::string& route) { return route + "_linea.dat"; }
inline std::string header_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + ".sim";
}
inline std::string track_file_name(const std::string& route, const std::string& train) {
  return route + "_" + train + ".dat";
}

}  // namespace sb
