#include "decode/compiled_bytes.h"

#include "decode/profile_points.h"

namespace sb {

CompiledScenario decode_header_and_track(const CompiledNames& names, const CompiledFileBytes& bytes) {
  CompiledScenario s;
  s.names = names;
  if (names.header.empty()) {
    s.findings.push_back({names.track.empty() ? names.profile : names.track, 0,
                          "no header file beside it: the route length and the identifiers are unknown"});
  } else {
    s.header = decode_header(bytes.header, names.header, s.findings);
    check_header(*s.header, names.header, s.findings);
  }
  if (names.track.empty()) {
    if (!names.header.empty()) s.findings.push_back({names.header, 0, "no track file beside it"});
  } else {
    s.track = decode_track(bytes.track, names.track, s.findings);
    check_track(*s.track, bytes.track.size(), s.header ? &*s.header : nullptr, names.track, s.findings);
  }
  return s;
}

std::optional<std::int32_t> profile_extent(CompiledScenario& s) {
  if (s.names.profile.empty()) {
    s.notes.push_back("no profile file: the plan is not shown");
    return std::nullopt;
  }
  const auto length = s.header ? s.header->route_length() : std::nullopt;
  if (!length || *length < 0 || *length > kMaxRouteLength) {
    s.notes.push_back("the profile file is not decoded: it needs a route length from the header file");
    return std::nullopt;
  }
  return *length + kTrackBeyondRoute;
}

CompiledScenario decode_compiled(const CompiledNames& names, const CompiledFileBytes& bytes, bool keep_plan) {
  CompiledScenario s = decode_header_and_track(names, bytes);
  if (const auto extended = profile_extent(s)) {
    ViewStream view(bytes.profile);
    if (keep_plan || !profile_well_formed(view, *extended)) {
      s.plan = decode_profile(bytes.profile, *extended, names.profile, s.findings);
    }
  }
  return s;
}

}  // namespace sb
