// Descriptions built in memory for the micro-benchmarks.
#pragma once

#include <string>

#include "model/scenario_model.h"

namespace sb::bench {

constexpr int kLongestRoute = 1000000;

// A line description of the given length with a curve every 300 m and a
// gradient every 1000 m, CRLF lines as the document writer makes them.
std::string curve_dense_line_description(int length);

// `count` signal entries as in a service description: a keyword and eleven
// numbers per line.
std::string signal_lines(int count);

// The model after reading curve_dense_line_description(kLongestRoute), built
// once: a full-size plan and track for the writers.
const ScenarioModel& longest_route_model();

}  // namespace sb::bench
