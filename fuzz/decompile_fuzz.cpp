// Decompiling compiled files that were built from random descriptions and
// then damaged: the first 8 bytes of the input pick the descriptions, the
// rest are edits (offset, byte) applied to the header, track and profile
// files. Decompiling never crashes, and whenever it calls its descriptions
// exact, compiling them gives the damaged bytes back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

#include "author/decompile.h"
#include "author/decompile_check.h"
#include "decode/compiled_bytes.h"
#include "fuzz_support.h"
#include "model/file_names.h"
#include "support/random_descriptions.h"

namespace {

using sb::fuzz::require;

constexpr const char* kRoute = "R";
constexpr const char* kTrain = "T";

// Routes of at most 6 km: the generator still makes every kind of object,
// curve and mountain stretch, and an input costs a decompile and a compile
// or two of a route that long, metre by metre.
constexpr std::int64_t kLongestRoute = 6000;

// The compiled files of the descriptions a seed picks, or nullptr when they
// do not compile. Most inputs the fuzzer makes keep their seed and change the
// edits, so the last compiles are kept; an input damages the kept bytes in
// place and puts them back after (copying them cost a fifth of the time).
sb::CompiledBytes* compiled_of_seed(std::uint64_t seed) {
  static std::map<std::uint64_t, std::optional<sb::CompiledBytes>> kept;
  const auto found = kept.find(seed);
  if (found != kept.end()) return found->second ? &*found->second : nullptr;
  if (kept.size() >= 64) kept.clear();
  const auto generated = sb::testing::random_descriptions(seed, kLongestRoute);
  sb::MemoryCompile c = sb::compile_in_memory({generated.line, generated.service}, kRoute, kTrain, true);
  auto& slot = kept[seed];
  if (c.failure.empty())
    slot = sb::CompiledBytes{kRoute, kTrain, true, std::move(c.profile), std::move(c.header), std::move(c.track)};
  return slot ? &*slot : nullptr;
}

// The edits an input makes, undone in reverse order when it ends.
class Damage {
 public:
  explicit Damage(sb::CompiledBytes& files) : files_(files) {}
  Damage(const Damage&) = delete;
  Damage& operator=(const Damage&) = delete;
  ~Damage() {
    for (auto e = edits_.rbegin(); e != edits_.rend(); ++e) (*e->file)[e->at] = e->old;
    files_.route = kRoute;
    files_.train = kTrain;
  }
  // Each edit is 5 bytes: which file, a 24-bit offset, the new byte.
  void apply(const std::uint8_t* edit) {
    std::string* file[3] = {&files_.header, &files_.track, &files_.profile};
    std::string& f = *file[edit[0] % 3];
    if (f.empty()) return;
    std::uint32_t offset = 0;
    std::memcpy(&offset, edit + 1, 3);
    const std::size_t at = offset % f.size();
    edits_.push_back({&f, at, f[at]});
    f[at] = static_cast<char>(edit[4]);
  }

 private:
  struct Edit {
    std::string* file;
    std::size_t at;
    char old;
  };
  sb::CompiledBytes& files_;
  std::vector<Edit> edits_;
};

void swap_files(sb::CompiledBytes& a, sb::CompiledFileBytes& b) {
  a.profile.swap(b.profile);
  a.header.swap(b.header);
  a.track.swap(b.track);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  std::uint64_t seed = 0;
  std::memcpy(&seed, data, 8);
  sb::CompiledBytes* kept = compiled_of_seed(seed % 5000);
  if (kept == nullptr) return 0;
  sb::CompiledBytes& original = *kept;
  Damage damage(original);
  for (std::size_t at = 8; at + 5 <= size && at < 8 + 5 * 16; at += 5) damage.apply(data + at);

  const sb::CompiledNames names{sb::profile_file_name(kRoute), sb::header_file_name(kRoute, kTrain),
                                sb::track_file_name(kRoute, kTrain)};
  // The bytes are lent to the decoder, not copied.
  sb::CompiledFileBytes lent;
  swap_files(original, lent);
  const sb::CompiledScenario s = sb::decode_compiled(names, lent);
  swap_files(original, lent);
  // Files that are not valid are refused before any decompiling.
  if (!s.valid() || !s.header || !s.track) return 0;
  original.route = s.header->entries[85].name;
  original.train = s.header->entries[86].name;
  sb::DecodedScenario view{&s.header->entries, &*s.track, s.plan ? &*s.plan : nullptr};
  const sb::Descriptions d = sb::decompile(view);
  const sb::RoundTrip proof = sb::check_round_trip(d, original);
  if (proof.identical()) {
    const sb::MemoryCompile again = sb::compile_in_memory(d, original.route, original.train, true);
    require(again.failure.empty(), "an exact decompilation does not compile");
    require(again.header == original.header && again.track == original.track && again.profile == original.profile,
            "an exact decompilation compiles to other bytes");
  } else {
    require(proof.total_differences > 0 || !proof.failure.empty(), "a failed proof names no difference");
  }
  return 0;
}
