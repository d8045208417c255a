// Decoding and checking compiled files already held in memory: what
// read_compiled does after reading, for callers that keep the bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "decode/compiled_reader.h"

namespace sb {

struct CompiledFileBytes {
  std::string profile;  // used only when the profile is named
  std::string header;
  std::string track;
};

// The header and the track, decoded and checked; the profile is left alone.
CompiledScenario decode_header_and_track(const CompiledNames& names, const CompiledFileBytes& bytes);

// The extended length (route length + 7000) the profile is decoded with, or
// nullopt when there is no profile or the header gives no usable length;
// then a note says why the plan is not shown.
std::optional<std::int32_t> profile_extent(CompiledScenario& s);

// With `keep_plan` false a well-formed profile is only walked, not decoded
// (the plan stays empty); a faulty one is decoded for its findings.
CompiledScenario decode_compiled(const CompiledNames& names, const CompiledFileBytes& bytes, bool keep_plan = true);

}  // namespace sb
