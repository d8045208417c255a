// The two check codes that tie the header file and the track file to the
// same train and route, and the smaller-of-two used to lower a marker.
#pragma once

#include <cstdint>
#include <string>

#include "model/scenario_model.h"

namespace sb {

// Lower case (cp1252) of train name + route name, then the filler: at least
// 25 characters. Only the first 25 count.
std::string check_code_text(const std::string& train_name, const std::string& route_name);

// Sum of the character codes of the first 25 characters; 16-bit.
std::int16_t codice_gara_og(ScenarioModel& model);
// Sum over i = 1 .. 25 of i × code of character i; 32-bit.
std::int32_t codice_gara_st(ScenarioModel& model);

// y when x > y, else x (equal values give x).
template <typename T>
T minimo(const T& x, const T& y) {
  return x > y ? y : x;
}

}  // namespace sb
