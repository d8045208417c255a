// The plan's decoder is apart from the other files' so that its loop, two
// values a metre, can be built without comparison tracing when fuzzing.
#include <string>

#include "decode/compiled_reader.h"
#include "decode/profile_points.h"

namespace sb {

namespace {

std::string str(std::int64_t v) { return std::to_string(v); }

void add(std::vector<Finding>& findings, const std::string& file, std::size_t offset, std::string message) {
  findings.push_back(Finding{file, offset, std::move(message)});
}

}  // namespace

PlanTable decode_profile(std::string_view bytes, std::int32_t extended, const std::string& file,
                         std::vector<Finding>& findings) {
  PlanTable plan;
  plan.allocate(extended);
  ProfileValues in(bytes);
  for (int coordinate = 0; coordinate < 2; ++coordinate) {
    const char* part = coordinate == 0 ? "x" : "y";
    ValueTag* tags = plan.tags(coordinate).data();
    double* values = plan.column(coordinate).data();
    for (std::int32_t m = 0; m <= extended; ++m) {
      const TaggedValue v = in.next();
      switch (in.stopped()) {
        case ProfileValues::Stop::None: break;
        case ProfileValues::Stop::FileEnds:
          add(findings, file, in.stop_offset(),
              std::string("the file ends at ") + part + " of metre " + str(m) +
                  ": the route length in the header needs " + str(static_cast<std::int64_t>(extended) + 1) +
                  " values per coordinate");
          return plan;
        case ProfileValues::Stop::UnknownTag:
          add(findings, file, in.stop_offset(),
              "unknown value tag " + str(in.stop_tag()) + std::string(" at ") + part + " of metre " + str(m) +
                  " (a profile holds tags 0, 2 and 5 only)");
          return plan;
        case ProfileValues::Stop::FileEndsInValue:
          add(findings, file, in.stop_offset(),
              std::string("the file ends inside the value of ") + part + " of metre " + str(m));
          return plan;
      }
      // An empty value keeps the table's empty tag and 0.
      const auto at = static_cast<std::size_t>(m);
      tags[at] = v.tag;
      values[at] = v.value;
    }
  }
  if (in.offset() != bytes.size()) {
    const std::size_t left = bytes.size() - in.offset();
    add(findings, file, in.offset(),
        str(static_cast<std::int64_t>(left)) +
            " bytes follow the y value of the last metre: the size does not match the route length in the header");
  }
  return plan;
}

}  // namespace sb
