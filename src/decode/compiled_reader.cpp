#include "decode/compiled_reader.h"

#include <set>

#include "compile/check_codes.h"
#include "decode/byte_cursor.h"
#include "decode/compiled_bytes.h"

namespace sb {

namespace {

std::string str(std::int64_t v) { return std::to_string(v); }

void add(std::vector<Finding>& findings, const std::string& file, std::size_t offset, std::string message) {
  findings.push_back(Finding{file, offset, std::move(message)});
}

// Reads one header record; false when the file ends inside it (reported).
bool decode_header_record(ByteCursor& in, int k, StationEntry& e, const std::string& file,
                          std::vector<Finding>& findings) {
  const std::size_t start = in.offset();
  auto ends_inside = [&](const char* field) {
    add(findings, file, in.size(),
        "the file ends inside record " + str(k) + " (record starts at offset " + str(static_cast<std::int64_t>(start)) +
            ", before its " + field + "): a header file holds 87 records");
    return false;
  };
  if (!in.has(16)) return ends_inside("name length");
  e.kind = in.u8();
  e.areaStart = in.i32();
  e.areaEnd = in.i32();
  e.position = in.i32();
  e.flag1 = in.u8();
  const std::size_t count_at = in.offset();
  const std::uint16_t n = in.u16();
  if (!in.has(n)) {
    add(findings, file, count_at,
        "record " + str(k) + ": name length " + str(n) + " runs past the end of the file (" +
            str(static_cast<std::int64_t>(in.remaining())) + " bytes left)");
    return false;
  }
  e.name = in.text(n);
  if (!in.has(18)) return ends_inside("values after the name");
  e.set1a = in.i16();
  e.set1b = in.i16();
  e.set2a = in.i16();
  e.set2b = in.i16();
  e.set2c = in.i16();
  e.set1c = in.u8();
  e.extra = in.u8();
  e.flag3 = in.u8();
  e.flag2 = in.u8();
  e.timeOfDay = in.i32();
  return true;
}

// Offset of a field that follows the name in a decoded record.
std::size_t after_name(const DecodedHeader& h, int k, std::size_t field_offset) {
  return h.offsets[static_cast<std::size_t>(k)] + 16 + h.entries[static_cast<std::size_t>(k)].name.size() +
         field_offset;
}

// Kinds a track cell can hold.
bool known_kind(std::uint8_t kind) {
  static const std::set<int> kinds{0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14};
  return kinds.count(kind) != 0;
}

// The two check codes for the names held in entries 86 (train) and 85 (route).
struct CheckCodes {
  std::int16_t plain;
  std::int32_t weighted;
};
CheckCodes codes_for(const DecodedHeader& h) {
  ScenarioModel scratch;
  scratch.ScenarioHeader[85].name = h.entries[85].name;
  scratch.ScenarioHeader[86].name = h.entries[86].name;
  const std::int32_t weighted = codice_gara_st(scratch);
  return CheckCodes{codice_gara_og(scratch), weighted};
}

std::string identifiers(const DecodedHeader& h) {
  return "train \"" + h.entries[86].name + "\", route \"" + h.entries[85].name + "\"";
}

}  // namespace

std::optional<std::int32_t> DecodedHeader::route_length() const {
  if (records <= 84) return std::nullopt;
  return entries[84].areaEnd;
}

DecodedHeader decode_header(std::string_view bytes, const std::string& file, std::vector<Finding>& findings) {
  DecodedHeader h;
  ByteCursor in(bytes);
  for (int k = 0; k < kHeaderEntries; ++k) {
    h.offsets[static_cast<std::size_t>(k)] = in.offset();
    StationEntry e;
    if (!decode_header_record(in, k, e, file, findings)) break;
    h.entries[static_cast<std::size_t>(k)] = std::move(e);
    h.records = k + 1;
  }
  if (h.complete() && in.remaining() != 0) {
    add(findings, file, in.offset(),
        str(static_cast<std::int64_t>(in.remaining())) +
            " bytes follow the last of the 87 records: the size does not match the record layout");
  }
  return h;
}

std::vector<TrackCell> decode_track(std::string_view bytes, const std::string& file, std::vector<Finding>& findings) {
  ByteCursor in(bytes);
  std::vector<TrackCell> cells;
  cells.reserve(bytes.size() / kTrackRecordSize);
  while (in.has(kTrackRecordSize)) {
    TrackCell c{};
    c.kind = in.u8();
    c.value1 = in.i16();
    c.value2 = in.i16();
    c.value3 = in.i16();
    c.value4 = in.i16();
    c.signalTime = in.u8();
    c.approach = in.u8();
    c.scenery = in.u8();
    c.speedLimit = in.u8();
    c.gradient = in.u8();
    c.adhesion = in.u8();
    cells.push_back(c);
  }
  if (in.remaining() != 0) {
    add(findings, file, in.offset(),
        "size " + str(static_cast<std::int64_t>(bytes.size())) + " is not a whole number of 15-byte records (" +
            str(static_cast<std::int64_t>(in.remaining())) + " bytes left over)");
  }
  return cells;
}

void check_header(const DecodedHeader& h, const std::string& file, std::vector<Finding>& findings) {
  if (h.records > 84) {
    const std::int32_t length = h.entries[84].areaEnd;
    if (length < 0 || length > kMaxRouteLength) {
      add(findings, file, h.offsets[84] + 5,
          "route length " + str(length) + " (record 84) is outside 0 .. 1,000,000 m");
    }
  }
  if (!h.complete()) return;  // marks and codes sit in the last records
  const StationEntry& values = h.entries[85];
  if (values.set1a != kHeaderMark) {
    add(findings, file, after_name(h, 85, 0), "record 85 lacks the mark 610 (holds " + str(values.set1a) + ")");
  }
  const CheckCodes codes = codes_for(h);
  if (values.timeOfDay != codes.weighted) {
    add(findings, file, after_name(h, 85, 14),
        "check code " + str(values.timeOfDay) + " in record 85 does not match " + identifiers(h) + " (expected " +
            str(codes.weighted) + ")");
  }
}

void check_track(const std::vector<TrackCell>& cells, std::size_t file_size, const DecodedHeader* header,
                 const std::string& file, std::vector<Finding>& findings) {
  const bool names_known = header != nullptr && header->complete();
  if (header != nullptr) {
    const auto length = header->route_length();
    if (length && *length >= 0 && *length <= kMaxRouteLength) {
      const std::size_t wanted = static_cast<std::size_t>(track_upper_index(*length + kTrackBeyondRoute)) + 1;
      if (cells.size() != wanted) {
        add(findings, file, std::min(file_size, wanted * kTrackRecordSize),
            str(static_cast<std::int64_t>(cells.size())) + " records where route length " + str(*length) + " needs " +
                str(static_cast<std::int64_t>(wanted)) + ": the size does not match the record layout");
      }
    }
  }
  if (cells.size() < 2) {
    add(findings, file, std::min(file_size, kTrackRecordSize + 1),
        "there is no cell 1, so neither the mark 5121 nor the check code");
  } else {
    if (cells[1].value1 != kTrackMark) {
      add(findings, file, kTrackRecordSize + 1, "cell 1 lacks the mark 5121 (holds " + str(cells[1].value1) + ")");
    }
    if (names_known) {
      const CheckCodes codes = codes_for(*header);
      if (cells[1].value2 != codes.plain) {
        add(findings, file, kTrackRecordSize + 3,
            "check code " + str(cells[1].value2) + " in cell 1 does not match " + identifiers(*header) + " (expected " +
                str(codes.plain) + ")");
      }
    }
  }
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    const std::size_t at = i * kTrackRecordSize;
    if (!known_kind(c.kind)) {
      add(findings, file, at, "cell " + str(static_cast<std::int64_t>(i)) + " has unknown kind " + str(c.kind));
    } else if ((c.kind == 10 || c.kind == 14) && (c.value1 < 1 || c.value1 > 80)) {
      add(findings, file, at + 1,
          "cell " + str(static_cast<std::int64_t>(i)) + " points at header entry " + str(c.value1) +
              ", outside the station and board entries 1 .. 80");
    }
  }
}

std::string read_whole(FileDoor& files, const std::string& name) {
  std::string bytes;
  read_whole_into(files, name, bytes);
  return bytes;
}

void read_whole_into(FileDoor& files, const std::string& name, std::string& bytes) {
  auto in = files.open_input(name);
  bytes.clear();
  char buf[1 << 16];
  for (std::size_t k; (k = in->read(buf, sizeof buf)) != 0;) bytes.append(buf, k);
}

CompiledScenario read_compiled(FileDoor& files, const CompiledNames& names) {
  CompiledFileBytes bytes;
  if (!names.header.empty()) bytes.header = read_whole(files, names.header);
  if (!names.track.empty()) bytes.track = read_whole(files, names.track);
  if (!names.profile.empty()) bytes.profile = read_whole(files, names.profile);
  return decode_compiled(names, bytes);
}

}  // namespace sb
