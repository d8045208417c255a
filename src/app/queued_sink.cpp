#include "app/queued_sink.h"

#include <chrono>

#include "app/platform.h"

namespace sb {

namespace {
constexpr auto kPollFor = std::chrono::microseconds(500);
}  // namespace

QueuedSink::QueuedSink(OutputSink& target, std::size_t depth) : target_(target), slots_(depth < 1 ? 1 : depth) {}

QueuedSink::~QueuedSink() { stop(); }

void QueuedSink::stop() {
  stopping_.store(true);
  wake();
  if (worker_.joinable()) worker_.join();
}

template <typename Ready>
void QueuedSink::wait_for(Ready ready) {
  const auto until = std::chrono::steady_clock::now() + kPollFor;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) {
      std::unique_lock<std::mutex> lock(sleep_mutex_);
      changed_.wait(lock, ready);
      return;
    }
    std::this_thread::yield();
  }
}

void QueuedSink::wake() {
  // Taking the mutex orders this against a waiter between its last test and
  // its sleep, so no wake-up is lost.
  { std::lock_guard<std::mutex> lock(sleep_mutex_); }
  changed_.notify_all();
}

void QueuedSink::throw_failure() const {
  if (failed_.load()) std::rethrow_exception(failure_);
}

void QueuedSink::write_at(std::uint64_t offset, const char* data, std::size_t n) {
  finish();
  // The thread is idle now, so the target is ours alone.
  target_.write_at(offset, data, n);
}

void QueuedSink::size_hint(std::uint64_t bytes) { queued_ = bytes >= kWorthAThread; }

std::vector<char> QueuedSink::hand_over(std::uint64_t offset, std::vector<char> full, std::size_t n) {
  if (!queued_) {
    target_.write_at(offset, full.data(), n);
    return full;
  }
  throw_failure();
  if (!worker_.joinable()) worker_ = start_beside([this] { run(); });
  const std::uint64_t i = handed_.load();
  const std::uint64_t depth = slots_.size();
  // Slot i % depth is free once buffer i - depth is written.
  wait_for([&] { return i - written_.load() < depth || failed_.load(); });
  throw_failure();
  Slot& slot = slots_[i % depth];
  std::vector<char> spare = std::move(slot.buffer);
  slot = Slot{offset, std::move(full), n};
  handed_.store(i + 1);
  wake();
  if (spare.empty()) spare.resize(slot.buffer.size());
  return spare;
}

void QueuedSink::finish() {
  wait_for([this] { return written_.load() == handed_.load(); });
  throw_failure();
}

void QueuedSink::run() {
  const std::uint64_t depth = slots_.size();
  for (;;) {
    const std::uint64_t i = written_.load();
    wait_for([&] { return handed_.load() > i || stopping_.load(); });
    if (handed_.load() == i) return;  // stopping, nothing left
    if (stopping_.load()) return;     // the file is abandoned
    Slot& slot = slots_[i % depth];
    if (!failed_.load()) {
      try {
        target_.write_at(slot.offset, slot.buffer.data(), slot.n);
      } catch (...) {
        // Nothing after a failed write may reach the file.
        failure_ = std::current_exception();
        failed_.store(true);
      }
    }
    written_.store(i + 1);
    wake();
  }
}

}  // namespace sb
