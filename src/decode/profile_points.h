// The points of a profile file read straight from its bytes, metre by
// metre, without building a plan table: for walks over a 1,000,000 m plan.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/profile_table.h"

namespace sb {

struct ProfilePoint {
  ValueTag x_tag, y_tag;
  double x, y;
};

// The bytes must be well formed (profile_well_formed) for `extended`.
class ProfilePoints {
 public:
  ProfilePoints(std::string_view bytes, std::int32_t extended);
  std::int32_t last_metre() const { return extended_; }
  // The next metre's point, from metre 0 on; call at most last_metre() + 1 times.
  ProfilePoint next();

 private:
  struct Cursor {
    const unsigned char* at;
    ValueTag read(double& v);
  };
  std::int32_t extended_;
  Cursor x_, y_;
};

}  // namespace sb
