#include "app/queued_sink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/directory_files.h"
#include "compile/compiled_files.h"
#include "model/memory_files.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

using testing::read_file;
using testing::TempDir;

// Keeps every write in the order it arrived; may be slow, may fail at the
// n-th write.
class RecordingSink : public OutputSink {
 public:
  struct Write {
    std::uint64_t offset;
    std::string bytes;
  };
  void write_at(std::uint64_t offset, const char* data, std::size_t n) override {
    std::this_thread::sleep_for(delay);
    std::lock_guard<std::mutex> lock(mutex);
    if (++count == fail_at) throw FileError("target", "cannot be written: disk full");
    writes.push_back({offset, std::string(data, n)});
  }
  std::chrono::microseconds delay{0};
  int fail_at = 0;
  int count = 0;
  std::mutex mutex;
  std::vector<Write> writes;
};

// Buffer i is filled with the letter 'a' + i % 26, 1000 bytes, for offset 1000 i.
std::vector<char> fill(std::vector<char> buffer, int i) {
  buffer.resize(1000);
  std::memset(buffer.data(), 'a' + i % 26, buffer.size());
  return buffer;
}

TEST(QueuedSink, WritesEveryBufferInOrderAndNeverRefillsOneBeingWritten) {
  RecordingSink target;
  target.delay = std::chrono::microseconds(200);  // the thread lags behind
  {
    QueuedSink sink(target, 3);
    sink.size_hint(QueuedSink::kWorthAThread);
    sink.size_hint(QueuedSink::kWorthAThread);
    std::vector<char> buffer;
    for (int i = 0; i < 40; ++i) {
      buffer = sink.hand_over(1000u * static_cast<unsigned>(i), fill(std::move(buffer), i), 1000);
    }
    sink.write_at(40000, "end", 3);
    sink.finish();
  }
  ASSERT_EQ(target.writes.size(), 41u);
  for (int i = 0; i < 40; ++i) {
    const auto& w = target.writes[static_cast<std::size_t>(i)];
    EXPECT_EQ(w.offset, 1000u * static_cast<unsigned>(i));
    // A buffer handed back while still queued would show another letter.
    EXPECT_EQ(w.bytes, std::string(1000, static_cast<char>('a' + i % 26))) << "buffer " << i;
  }
  EXPECT_EQ(target.writes.back().bytes, "end");
}

TEST(QueuedSink, AFailedWriteIsThrownToTheWriterAndNothingAfterItIsWritten) {
  RecordingSink target;
  target.fail_at = 3;
  QueuedSink sink(target, 2);
  sink.size_hint(QueuedSink::kWorthAThread);
  std::vector<char> buffer;
  bool thrown = false;
  try {
    for (int i = 0; i < 50; ++i)
      buffer = sink.hand_over(1000u * static_cast<unsigned>(i), fill(std::move(buffer), i), 1000);
    sink.finish();
  } catch (const FileError& e) {
    thrown = true;
    EXPECT_EQ(e.path(), "target");
  }
  EXPECT_TRUE(thrown);
  EXPECT_THROW(sink.finish(), FileError) << "the failure stays";
  EXPECT_THROW(sink.write_at(0, "x", 1), FileError);
  EXPECT_EQ(target.writes.size(), 2u);
}

TEST(QueuedSink, AbandonedWithBuffersPendingItStopsWithoutWritingThem) {
  RecordingSink target;
  target.delay = std::chrono::milliseconds(20);
  {
    QueuedSink sink(target, 4);
    sink.size_hint(QueuedSink::kWorthAThread);
    sink.size_hint(QueuedSink::kWorthAThread);
    std::vector<char> buffer;
    for (int i = 0; i < 4; ++i)
      buffer = sink.hand_over(1000u * static_cast<unsigned>(i), fill(std::move(buffer), i), 1000);
  }  // no finish(): the file is being abandoned
  EXPECT_LT(target.writes.size(), 4u);
}

TEST(QueuedSink, AFileNotAnnouncedAsLargeIsWrittenAtOnce) {
  RecordingSink target;
  target.delay = std::chrono::milliseconds(2);
  QueuedSink sink(target);
  sink.size_hint(QueuedSink::kWorthAThread - 1);
  std::vector<char> buffer = sink.hand_over(0, fill({}, 0), 1000);
  EXPECT_EQ(target.writes.size(), 1u) << "written before hand_over returned";
  sink.write_at(1000, "end", 3);
  EXPECT_EQ(target.writes.size(), 2u);
}

// The profile of a long curved plan fills its x and y parts side by side in
// many buffers; on disk, through the queue, it must equal the same file
// written in memory.
TEST(QueuedSink, AProfileOnDiskEqualsTheSameProfileInMemory) {
  TrackPlan plan;
  plan.allocate(300000);
  plan.start();
  for (std::int32_t at = 1000; at + 2000 < 300000; at += 2000) {
    plan.extend_straight(at);
    plan.extend_curved(at + 700, at % 4000 == 0 ? 0.002 : -0.0004);
  }
  plan.extend_straight(299998);

  MemoryFiles memory;
  memory.replace("P_linea.dat", [&](OutputSink& sink) { write_profile(sink, plan); });
  TempDir dir;
  DirectoryFiles disk(dir.str(), '/');
  disk.replace("P_linea.dat", [&](OutputSink& sink) { write_profile(sink, plan); });

  const std::string on_disk = read_file(dir.path() / "P_linea.dat");
  EXPECT_EQ(on_disk.size(), 20u * 300000 - 36);
  EXPECT_TRUE(on_disk == memory.files["P_linea.dat"]);
}

}  // namespace
}  // namespace sb
