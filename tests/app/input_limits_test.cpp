// Inputs far outside what an author writes: descriptions of hundreds of
// megabytes, one field of millions of characters, binary garbage. Each run of
// `compile` must end by itself (with an error or a clean result), never by a
// signal, and its memory must not grow with the size of the input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/exit_status.h"
#include "model/file_names.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::ChildResult;
using testing::read_file;
using testing::run_child;
using testing::TempDir;

#ifdef SB_SANITIZED
// Instrumented code reads several times slower; the bound on memory is what
// matters, and it shows at this size as well.
constexpr long long kHugeBytes = 60ll << 20;
constexpr std::size_t kGarbageBytes = 3u << 20;
#else
constexpr long long kHugeBytes = 300ll << 20;
constexpr std::size_t kGarbageBytes = 16u << 20;
#endif
constexpr long long kLongField = 5'000'000;
// Memory a run may take beyond a run of the embedded scenario.
constexpr long kSlackKiB = 64 << 10;

// Where the generated bulk goes inside a description.
enum class Where { BeforeGeneral, FreeRegion, ServiceEntries };

const char* name_of(Where where) {
  switch (where) {
    case Where::BeforeGeneral: return "before [generale]";
    case Where::FreeRegion: return "in the line's free region";
    case Where::ServiceEntries: return "among the service entries";
  }
  return "";
}

class InputLimits : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef SB_SANITIZED
    // A small quarantine, so freed memory is given back as it would be.
    const char* old = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", (std::string(old ? old : "") + ":quarantine_size_mb=16").c_str(), 1);
#endif
    ASSERT_EQ(run_child({SB_PROGRAM, "export", dir.str()}).exit_status, kExitOk);
    line = read_file(dir.path() / line_description_name("ORSEA_MONTELBA"));
    service = read_file(dir.path() / service_description_name("ORSEA_MONTELBA", "RX17"));
    const ChildResult baseline = compile(dir.path() / line_description_name("ORSEA_MONTELBA"),
                                         dir.path() / service_description_name("ORSEA_MONTELBA", "RX17"));
    ASSERT_EQ(baseline.exit_status, kExitOk) << baseline.err;
    baseline_kib = baseline.peak_rss_kib;
  }

  ChildResult compile(const fs::path& line_path, const fs::path& service_path) {
    const fs::path out = dir.path() / "out";
    fs::create_directories(out);
    return run_child({SB_PROGRAM, "compile", "-q", line_path.string(), service_path.string(), "-o", out.string()});
  }

  // Writes the embedded description with `repeat` copies of `bulk` put in at
  // `where`, chunk by chunk so the test itself stays small.
  fs::path write_with_bulk(Where where, const std::string& bulk, long long total) {
    const bool in_line = where != Where::ServiceEntries;
    const std::string& doc = in_line ? line : service;
    std::size_t at = 0;
    if (where == Where::FreeRegion) at = doc.rfind("[fine]");
    if (where == Where::ServiceEntries) at = doc.find("[segnali]");
    const fs::path path = dir.path() / (in_line ? "line.txt" : "service.txt");
    std::ofstream out(path, std::ios::binary);
    out.write(doc.data(), static_cast<std::streamsize>(at));
    std::string chunk;
    while (chunk.size() < (1u << 20) && static_cast<long long>(chunk.size()) < total) chunk += bulk;
    for (long long written = 0; written < total; written += static_cast<long long>(chunk.size())) {
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    out.write(doc.data() + at, static_cast<std::streamsize>(doc.size() - at));
    return path;
  }

  ChildResult compile_with_bulk(Where where, const std::string& bulk, long long total) {
    const fs::path path = write_with_bulk(where, bulk, total);
    const bool in_line = where != Where::ServiceEntries;
    const fs::path embedded_line = dir.path() / line_description_name("ORSEA_MONTELBA");
    const fs::path embedded_service = dir.path() / service_description_name("ORSEA_MONTELBA", "RX17");
    ChildResult result = in_line ? compile(path, embedded_service) : compile(embedded_line, path);
    fs::remove(path);
    return result;
  }

  void expect_bounded_end(const ChildResult& run, const std::string& what) {
    EXPECT_EQ(run.signal, 0) << what << ": ended by signal " << run.signal << "\n" << run.err;
    EXPECT_GE(run.exit_status, kExitOk) << what;
    EXPECT_LE(run.exit_status, kExitFailure) << what << "\n" << run.err;
    EXPECT_LT(run.peak_rss_kib, baseline_kib + kSlackKiB) << what << ": peak " << run.peak_rss_kib << " KiB";
  }

  TempDir dir;
  std::string line, service;
  long baseline_kib = 0;
};

TEST_F(InputLimits, HundredsOfMegabytesOfPassedOverFieldsAreReadInBoundedMemory) {
  // Lines of ignored text that no keyword matches.
  const std::string ignored = std::string(40, ' ') + std::string(900, 'z') + " nota a margine\r\n";
  for (Where where : {Where::BeforeGeneral, Where::FreeRegion, Where::ServiceEntries}) {
    const ChildResult run = compile_with_bulk(where, ignored, kHugeBytes);
    expect_bounded_end(run, name_of(where));
    // Passed over, the bulk changes nothing: the scenario still compiles.
    EXPECT_EQ(run.exit_status, kExitOk) << name_of(where) << "\n" << run.err;
  }
}

TEST_F(InputLimits, AFieldOfMillionsOfCharactersEndsWithAnErrorNamingTheLimit) {
  const std::string one_long_field(static_cast<std::size_t>(kLongField), 'x');
  for (Where where : {Where::BeforeGeneral, Where::FreeRegion, Where::ServiceEntries}) {
    const ChildResult run = compile_with_bulk(where, one_long_field, kLongField);
    expect_bounded_end(run, name_of(where));
    EXPECT_NE(run.exit_status, kExitOk) << name_of(where);
    EXPECT_NE(run.err.find("longer than 65535"), std::string::npos) << name_of(where) << "\n" << run.err;
  }
}

TEST_F(InputLimits, BinaryGarbageEndsWithoutACrash) {
  std::mt19937 random(20240611);
  std::string garbage(kGarbageBytes, '\0');
  for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
  const fs::path garbage_path = dir.path() / "garbage.bin";
  testing::write_file(garbage_path, garbage);
  const fs::path embedded_line = dir.path() / line_description_name("ORSEA_MONTELBA");
  const fs::path embedded_service = dir.path() / service_description_name("ORSEA_MONTELBA", "RX17");

  expect_bounded_end(compile(garbage_path, embedded_service), "garbage line description");
  expect_bounded_end(compile(embedded_line, garbage_path), "garbage service description");
  expect_bounded_end(compile(garbage_path, garbage_path), "garbage for both");
  // Garbage inside the entries, past the headers that size the track.
  const auto size = static_cast<long long>(garbage.size());
  expect_bounded_end(compile_with_bulk(Where::FreeRegion, garbage, size), "garbage in the free region");
  expect_bounded_end(compile_with_bulk(Where::ServiceEntries, garbage, size), "garbage among service entries");
}

}  // namespace
}  // namespace sb
