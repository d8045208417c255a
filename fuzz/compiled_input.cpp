#include "compiled_input.h"

#include <algorithm>
#include <vector>

#include "fuzz_support.h"

namespace sb::fuzz {

CompiledInput compiled_input(const std::uint8_t* data, std::size_t size) {
  CompiledInput in;
  require(size >= 4, "a compiled input shorter than its two sizes");
  const std::size_t header_size = data[0] | (data[1] << 8);
  const std::size_t track_size = data[2] | (data[3] << 8);
  const std::string rest = bytes_of(data + 4, size - 4);
  const std::string header = rest.substr(0, header_size);
  in.names.header = "s.sim";
  in.names.track = "s.dat";
  in.files.files[in.names.header] = header;
  in.files.files[in.names.track] = rest.substr(std::min(rest.size(), header_size), track_size);

  std::vector<Finding> ignored;
  const auto length = decode_header(header, in.names.header, ignored).route_length();
  if (!length || *length <= kDecodedRouteLimit) {
    in.names.profile = "s_linea.dat";
    in.files.files[in.names.profile] = rest.substr(std::min(rest.size(), header_size + track_size));
  }
  return in;
}

CompiledScenario read_compiled_input(CompiledInput& input) {
  const CompiledScenario s = read_compiled(input.files, input.names);
  for (const Finding& f : s.findings) {
    const auto file = input.files.files.find(f.file);
    require(file != input.files.files.end(), "a finding in a file that was not read");
    require(f.offset <= file->second.size(), "a finding past the end of its file");
    require(!f.message.empty(), "a finding without a message");
  }
  const bool header_ok = !input.names.header.empty() && s.header && s.header->route_length() &&
                         *s.header->route_length() >= 0 && *s.header->route_length() <= kMaxRouteLength;
  require(s.plan.has_value() == (header_ok && !input.names.profile.empty()), "plan decoded or not against the header");
  if (s.plan) {
    require(s.plan->last_metre() == *s.header->route_length() + kTrackBeyondRoute, "plan of another length");
  }
  require(!s.valid() || (s.header && s.header->complete() && s.track), "a partial scenario called valid");
  return s;
}

}  // namespace sb::fuzz
