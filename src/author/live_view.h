// What `watch --serve` shows of one compile after another. Most saves leave
// the plan as it was (every save of the service description does), and the
// plan is what costs: decoding a profile of a million metres, its figures
// and its levels. So the profile's bytes are kept, and while they and the
// route length stay the same the plan is neither decoded nor worked out
// again; the page gets its levels only when they change.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "decode/compiled_bytes.h"

namespace sb {

struct LiveFrame {
  std::shared_ptr<const std::string> scenario;  // view_scenario_text
  std::shared_ptr<const std::string> levels;    // view_levels_text; the same object while the plan stays
  std::uint64_t plan = 0;                       // changes exactly when `levels` does
  bool valid = false;                           // the files hold no fault
};

class LiveView {
 public:
  // The frame of a compile's files, or nullopt when they hold no track to
  // show. `bytes.profile` may be swapped with the kept copy: callers reuse
  // the buffer for the next read, which saves allocating megabytes.
  std::optional<LiveFrame> show(const CompiledNames& names, CompiledFileBytes& bytes, const std::string& title);

 private:
  struct Plan {
    std::int32_t extended = -1;  // -1: no plan decoded
    std::string profile;         // the bytes it was decoded from
    nlohmann::ordered_json figures;
    std::vector<Finding> findings;
    std::shared_ptr<const std::string> levels;
  };
  void take_plan(CompiledScenario& s, std::int32_t extended, std::string& profile);

  Plan plan_;
  std::uint64_t plan_generation_ = 0;
};

}  // namespace sb
