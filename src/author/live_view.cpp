#include "author/live_view.h"

#include "author/scenario_json.h"
#include "author/view_page.h"

namespace sb {

std::optional<LiveFrame> LiveView::show(const CompiledNames& names, CompiledFileBytes& bytes,
                                        const std::string& title) {
  CompiledScenario s = decode_header_and_track(names, bytes);
  if (!s.track) return std::nullopt;
  const auto extended = profile_extent(s);
  const bool same = extended && *extended == plan_.extended && bytes.profile == plan_.profile;
  if (!same) {
    if (extended) {
      take_plan(s, *extended, bytes.profile);
    } else if (plan_.extended >= 0 || !plan_.levels) {
      plan_ = Plan{};
      plan_.levels = std::make_shared<const std::string>(view_levels_text(nlohmann::ordered_json::array()));
      ++plan_generation_;
    }
  }
  const bool have_plan = plan_.extended >= 0;
  // A profile's findings come after the header's and the track's, as a
  // whole decode gives them.
  if (have_plan) s.findings.insert(s.findings.end(), plan_.findings.begin(), plan_.findings.end());
  LiveFrame frame;
  frame.valid = s.valid();
  frame.scenario =
      std::make_shared<const std::string>(view_scenario_text(s, title, have_plan ? &plan_.figures : nullptr));
  frame.levels = plan_.levels;
  frame.plan = plan_generation_;
  return frame;
}

void LiveView::take_plan(CompiledScenario& s, std::int32_t extended, std::string& profile) {
  plan_.extended = -1;  // until the new plan is whole
  plan_.findings.clear();
  s.plan = decode_profile(profile, extended, s.names.profile, plan_.findings);
  plan_.figures = plan_figures_json(*s.plan);
  auto levels = std::make_shared<const std::string>(view_levels_text(view_plan_levels(s)));
  s.plan.reset();  // its figures and levels are all the page needs of it
  if (!plan_.levels || *plan_.levels != *levels) {
    plan_.levels = std::move(levels);
    ++plan_generation_;
  }
  std::swap(plan_.profile, profile);  // the old bytes become the caller's buffer for the next read
  plan_.extended = extended;
}

}  // namespace sb
