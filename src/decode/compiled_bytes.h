// Decoding and checking compiled files already held in memory: what
// read_compiled does after reading, for callers that keep the bytes.
#pragma once

#include <string>

#include "decode/compiled_reader.h"

namespace sb {

struct CompiledFileBytes {
  std::string profile;  // used only when the profile is named
  std::string header;
  std::string track;
};

// With `keep_plan` false a well-formed profile is only walked, not decoded
// (the plan stays empty); a faulty one is decoded for its findings.
CompiledScenario decode_compiled(const CompiledNames& names, const CompiledFileBytes& bytes, bool keep_plan = true);

}  // namespace sb
