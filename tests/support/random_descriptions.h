// A seeded generator of line and service descriptions that the readers
// accept: every kind of entry, curves of every class and side, objects on
// cells of their own but close to one another (stations near boards,
// signals near slowdowns, markers where completion looks for room). Some
// cases still end with a recorded error (completion finding no room); the
// same seed gives the same bytes on every platform.
#pragma once

#include <cstdint>
#include <string>

namespace sb::testing {

struct RandomDescriptions {
  std::string line;
  std::string service;
};

// Nine routes in ten are 3,000 m to `longest` long, the rest shorter.
RandomDescriptions random_descriptions(std::uint64_t seed, std::int64_t longest = 25000);

}  // namespace sb::testing
