// Decompiling compiled files that were built from random descriptions and
// then damaged: the first 8 bytes of the input pick the descriptions and
// whether a profile was compiled with them, the rest are edits (offset, byte)
// applied to the header, track and profile files. Decompiling never crashes,
// and whenever it calls its descriptions exact, compiling them gives the
// damaged bytes back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
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

// Routes of at most 4.5 km: the generator still makes every kind of object,
// curve and mountain stretch, and an input with a profile costs a decode, a
// decompile and a compile or two of that route and the 7 km beyond it, metre
// by metre.
constexpr std::int64_t kLongestRoute = 4500;

// How many descriptions the seeds pick from. All their compiled files are kept
// (a few hundred kilobytes each): most inputs the fuzzer makes change the
// seed bytes now and then, and a seed compiled again each time cost a compile
// and, for the memory newly kept, a second run of the input to look for a
// leak. Each is still paid once per description: with 1,024 of them that was
// a sixth of a one-minute run.
constexpr std::uint64_t kSeeds = 256;

// The compiled files of the descriptions a seed picks, with a profile or
// without, or nullptr when they do not compile. An input damages the kept
// bytes in place and puts them back after (copying them cost a fifth of the
// time). Files without a profile are a tenth of the work: every input with a
// profile decodes, decompiles and compiles again some 10,000 metres of plan.
sb::CompiledBytes* compiled_of_seed(std::uint64_t seed, bool profile) {
  static std::map<std::pair<std::uint64_t, bool>, std::optional<sb::CompiledBytes>> kept;
  const auto found = kept.find({seed, profile});
  if (found != kept.end()) return found->second ? &*found->second : nullptr;
  const auto generated = sb::testing::random_descriptions(seed, kLongestRoute);
  sb::MemoryCompile c = sb::compile_in_memory({generated.line, generated.service}, kRoute, kTrain, profile);
  auto& slot = kept[{seed, profile}];
  if (c.failure.empty())
    slot = sb::CompiledBytes{kRoute, kTrain, profile, std::move(c.profile), std::move(c.header), std::move(c.track)};
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

// Compiled files compared byte for byte with the damaged ones as they are
// written, at the offsets they are written to: nothing is stored. This is
// not the proof's own comparison, which reads the originals in order.
class SameBytes : public sb::FileDoor {
 public:
  explicit SameBytes(std::map<std::string, const std::string*> expected) : expected_(std::move(expected)) {}
  bool all_written() const { return written_ == expected_.size(); }
  bool exists(const std::string&) override { return false; }
  std::unique_ptr<sb::InputSource> open_input(const std::string& name) override {
    throw sb::FileError(name, "compiled files are only written here");
  }
  void remove(const std::string&) override {}
  void replace(const std::string& name, const std::function<void(sb::OutputSink&)>& fill) override {
    const auto it = expected_.find(name);
    require(it != expected_.end(), "an exact decompilation compiles to a file the original lacks");
    Sink sink(*it->second);
    fill(sink);
    require(sink.whole(), "an exact decompilation compiles to other bytes");
    ++written_;
  }
  std::string path_of(const std::string& name) const override { return name; }

 private:
  struct Sink : sb::OutputSink {
    explicit Sink(const std::string& bytes) : expected(bytes) {}
    void write_at(std::uint64_t offset, const char* data, std::size_t n) override {
      same = same && offset + n <= expected.size() && std::memcmp(expected.data() + offset, data, n) == 0;
      written += n;
      end = std::max<std::uint64_t>(end, offset + n);
    }
    // Every byte written once, and all of them the original's.
    bool whole() const { return same && written == expected.size() && end == expected.size(); }
    const std::string& expected;
    bool same = true;
    std::uint64_t written = 0;
    std::uint64_t end = 0;
  };
  std::map<std::string, const std::string*> expected_;
  std::size_t written_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  std::uint64_t seed = 0;
  std::memcpy(&seed, data, 8);
  sb::CompiledBytes* kept = compiled_of_seed(seed / 2 % kSeeds, seed % 2 == 1);
  if (kept == nullptr) return 0;
  sb::CompiledBytes& original = *kept;
  Damage damage(original);
  for (std::size_t at = 8; at + 5 <= size && at < 8 + 5 * 16; at += 5) damage.apply(data + at);

  const sb::CompiledNames names{original.has_profile ? sb::profile_file_name(kRoute) : std::string(),
                                sb::header_file_name(kRoute, kTrain), sb::track_file_name(kRoute, kTrain)};
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
    std::map<std::string, const std::string*> expected{
        {sb::header_file_name(original.route, original.train), &original.header},
        {sb::track_file_name(original.route, original.train), &original.track}};
    if (original.has_profile) expected[sb::profile_file_name(original.route)] = &original.profile;
    SameBytes again(std::move(expected));
    int error_code = 0;
    const std::string failure =
        sb::compile_through(d, original.route, original.train, original.has_profile, again, error_code);
    require(failure.empty(), "an exact decompilation does not compile");
    require(again.all_written(), "an exact decompilation leaves a compiled file unwritten");
    require(error_code == proof.error_code, "an exact decompilation ends with another error code");
  } else {
    require(proof.total_differences > 0 || !proof.failure.empty(), "a failed proof names no difference");
  }
  return 0;
}
