// Writes the buffers handed over to it on a thread of its own, in order, so
// that the program computes the next bytes of a large file while the system
// copies the last ones. Only a file announced as large by size_hint() is
// worth a thread (starting one on another processor costs a few tenths of a
// millisecond); any other file is written at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "model/file_door.h"

namespace sb {

class QueuedSink : public OutputSink {
 public:
  // At most `depth` buffers wait or are being written at any time.
  explicit QueuedSink(OutputSink& target, std::size_t depth = 4);
  // Stops the thread; buffers not written yet are dropped (the file is being
  // abandoned).
  ~QueuedSink() override;
  QueuedSink(const QueuedSink&) = delete;
  QueuedSink& operator=(const QueuedSink&) = delete;

  // Waits until everything handed over is written, then writes these bytes.
  void write_at(std::uint64_t offset, const char* data, std::size_t n) override;
  std::vector<char> hand_over(std::uint64_t offset, std::vector<char> full, std::size_t n) override;
  void size_hint(std::uint64_t bytes) override;
  static constexpr std::uint64_t kWorthAThread = std::uint64_t{4} << 20;
  // Waits until everything is written. A write that failed on the thread is
  // thrown here, or from the next write_at() or hand_over().
  void finish();

 private:
  struct Slot {
    std::uint64_t offset = 0;
    std::vector<char> buffer;  // once written, the spare handed back next time round
    std::size_t n = 0;
  };

  void run();
  // Waits until `ready` holds: first by polling (a buffer takes tens of
  // microseconds, less than putting a thread to sleep and waking it again
  // costs), then asleep.
  template <typename Ready>
  void wait_for(Ready ready);
  void wake();
  void throw_failure() const;
  void stop();

  OutputSink& target_;
  std::vector<Slot> slots_;
  // Buffers handed over and buffers written (or dropped) since the start;
  // slot i % depth holds buffer i.
  std::atomic<std::uint64_t> handed_{0};
  std::atomic<std::uint64_t> written_{0};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> failed_{false};
  std::exception_ptr failure_;  // set by the thread before failed_
  std::mutex sleep_mutex_;
  std::condition_variable changed_;
  bool queued_ = false;  // by size_hint()
  std::thread worker_;   // started by the first hand_over of a queued file
};

}  // namespace sb
