// Compiled files back to descriptions: the line description and the service
// description that, compiled with the same identifiers, write the same bytes.
// Every value is recovered by running the readers backwards: runs of cells
// become gradient, speed and adhesion lines, occupied cells become entries,
// the plan's steps become curve lines. Objects sit at the multiple of 50 m
// that maps to their cell, which is where a person would put them.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "decode/profile_points.h"
#include "model/profile_table.h"
#include "model/scenario_model.h"
#include "model/track_plan.h"

namespace sb {

struct Descriptions {
  std::string line;     // the line description, cp1252 bytes with CRLF
  std::string service;  // the service description
};

// What the compiled files hold, decoded. The plan is either a decoded
// table or the bytes of a well-formed profile file; neither when there is
// no profile file.
struct DecodedScenario {
  const std::array<StationEntry, kHeaderEntries>* entries = nullptr;
  const std::vector<TrackCell>* cells = nullptr;
  const PlanTable* plan = nullptr;
  const std::string* profile_bytes = nullptr;
  std::function<std::unique_ptr<ByteStream>()> open_profile = {};  // a profile read as often as needed
};

Descriptions decompile(const DecodedScenario& scenario);

// The halves, for tests and for the parts that need one alone.
std::string decompile_line(const DecodedScenario& scenario);
std::string decompile_service(const DecodedScenario& scenario);

// One curve line: curved metres first .. last with the curvature of the
// keyword (class 1..6, side 's' or 'd').
struct CurveRun {
  std::int32_t first;
  std::int32_t last;
  int curve_class;
  char side;
};

// The curved runs of a plan: for each metre from 2 on, the step (straight or
// curved with which curvature) that gives its bits from the two metres
// before it. `unexplained` receives the first metre no step explains (-1
// when every computed metre is explained).
std::vector<CurveRun> curve_runs(const PlanTable& plan, std::int32_t& unexplained);
// The same, straight from a well-formed profile file's bytes.
std::vector<CurveRun> curve_runs(std::string_view profile, std::int32_t extended, std::int32_t& unexplained);
std::vector<CurveRun> curve_runs(ProfilePoints& points, std::int32_t& unexplained);

// The same walk, fed one metre at a time from metre 0 on.
class CurveTracker {
 public:
  static constexpr int kStraight = -1;
  CurveTracker();
  void feed(const ProfilePoint& p);
  // Nothing more can change: the plan starts wrongly or a metre is unexplained.
  bool done() const { return state_ == State::Done; }
  std::vector<CurveRun> runs;
  std::int32_t unexplained = -1;

 private:
  enum class State { Walking, Tail, Done };
  State state_ = State::Walking;
  std::int32_t metre_ = 0;
  Heading before_{0.0, 0.0, 0.0, 0.0};
  int current_ = kStraight;
  std::vector<double> ks_;
  std::vector<int> classes_;
  std::vector<char> sides_;
};

}  // namespace sb
