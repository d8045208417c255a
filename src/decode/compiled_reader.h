// Reading the three compiled files back: bytes to header entries, track
// cells and plan, with every fault a correct file cannot contain reported
// as a finding at its byte offset. Decoding goes on past a fault wherever
// the layout still tells where the next field is.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

struct Finding {
  std::string file;    // the file's name as it was read
  std::size_t offset;  // byte offset of the fault in that file
  std::string message;
};

constexpr std::size_t kTrackRecordSize = 15;
constexpr std::size_t kHeaderRecordFixedSize = 34;  // a record without its name's bytes
constexpr std::int16_t kHeaderMark = 610;           // entry 85, set1a
constexpr std::int16_t kTrackMark = 5121;           // cell 1, value1

struct DecodedHeader {
  std::array<StationEntry, kHeaderEntries> entries{};
  std::array<std::size_t, kHeaderEntries> offsets{};  // where each record starts
  int records = 0;                                    // complete records decoded
  bool complete() const { return records == kHeaderEntries; }
  // Route length as the header holds it (entry 84 areaEnd), when readable.
  std::optional<std::int32_t> route_length() const;
};

DecodedHeader decode_header(std::string_view bytes, const std::string& file, std::vector<Finding>& findings);

// Cells in file order; a partial record at the end is reported, not kept.
std::vector<TrackCell> decode_track(std::string_view bytes, const std::string& file, std::vector<Finding>& findings);

// The plan of a route whose extended length (route length + 7000) is
// `extended`: extended + 1 tagged values of x, then as many of y.
PlanTable decode_profile(std::string_view bytes, std::int32_t extended, const std::string& file,
                         std::vector<Finding>& findings);

// Marks and check codes: 610 and the weighted code in entry 85, a route
// length the track can have.
void check_header(const DecodedHeader& header, const std::string& file, std::vector<Finding>& findings);
// Record count for the header's route length, 5121 and the plain code in
// cell 1, cell kinds and the header entries they point at.
void check_track(const std::vector<TrackCell>& cells, std::size_t file_size, const DecodedHeader* header,
                 const std::string& file, std::vector<Finding>& findings);

// The names of one scenario's files; an empty name means "not there".
struct CompiledNames {
  std::string profile;
  std::string header;
  std::string track;
};

struct CompiledScenario {
  CompiledNames names;
  std::optional<DecodedHeader> header;
  std::optional<std::vector<TrackCell>> track;
  std::optional<PlanTable> plan;
  std::vector<Finding> findings;
  std::vector<std::string> notes;  // remarks that are no fault (no profile file)
  bool valid() const { return findings.empty(); }
};

// Reads and checks whichever of the three files are named. A file that
// cannot be read at all is a FileError for the caller.
CompiledScenario read_compiled(FileDoor& files, const CompiledNames& names);

// Whole content of a file behind the door.
std::string read_whole(FileDoor& files, const std::string& name);
// The same into `bytes`, whose storage is reused: a caller that reads files of
// megabytes again and again allocates them once.
void read_whole_into(FileDoor& files, const std::string& name, std::string& bytes);

}  // namespace sb
