// The proof of a decompilation: its descriptions are compiled in memory with
// the identifiers of the original files, and the bytes compared. Where they
// differ, each difference is named by file, place and field.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "author/decompile.h"
#include "decode/profile_points.h"

namespace sb {

struct CompiledBytes {
  std::string route;
  std::string train;
  bool has_profile = false;
  std::string profile;
  std::string header;
  std::string track;
  // When set, the profile is not held in `profile` but read through this
  // as often as needed.
  std::function<std::unique_ptr<ByteStream>()> open_profile = {};
};

struct Difference {
  std::string file;
  std::string where;  // "cell 57", "record 85", "metre 751"
  std::string field;
  std::string in_files;
  std::string after;  // the value after recompiling
};

struct RoundTrip {
  std::vector<Difference> differences;  // at most kMaxListed
  std::size_t total_differences = 0;
  int error_code = 0;   // the recompile's final error code
  std::string failure;  // the recompile could not finish (empty when it did)
  bool identical() const { return failure.empty() && total_differences == 0; }
};

constexpr std::size_t kMaxListedDifferences = 50;

// Compiles `d` as the files named by `original` and compares.
RoundTrip check_round_trip(const Descriptions& d, const CompiledBytes& original);

// Compiles two descriptions, writing the files through `outputs` (the
// profile only when `profile`). Returns why the compile could not finish, or
// nothing when it did; `error_code` is the final error code either way.
std::string compile_through(const Descriptions& d, const std::string& route, const std::string& train, bool profile,
                            FileDoor& outputs, int& error_code);

// Compiles two descriptions in memory: the three files (the profile only
// when `profile`), and the final error code.
struct MemoryCompile {
  std::string profile, header, track;
  int error_code = 0;
  std::string failure;
};
MemoryCompile compile_in_memory(const Descriptions& d, const std::string& route, const std::string& train,
                                bool profile);

}  // namespace sb
