// The input of the targets that read compiled files back: the header's and
// the track's sizes (little-endian uint16 each), then the header, the track
// and the profile. A header whose route length is above kDecodedRouteLimit
// leaves the profile out: its plan table would be allocated and walked for
// every metre of the route, and the decoding is the same for any length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/compiled_reader.h"
#include "model/memory_files.h"

namespace sb::fuzz {

inline constexpr std::int32_t kDecodedRouteLimit = 5000;

struct CompiledInput {
  MemoryFiles files;
  CompiledNames names;
};

CompiledInput compiled_input(const std::uint8_t* data, std::size_t size);

// read_compiled over the input, with the checks every reading target shares:
// each finding lies inside a file that was read, and the plan is decoded
// exactly when the header gives a route length it can use.
CompiledScenario read_compiled_input(CompiledInput& input);

}  // namespace sb::fuzz
