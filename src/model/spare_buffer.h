// The memory of a large buffer kept from one use for the next.
#pragma once

#include <mutex>
#include <utility>

namespace sb {

// Holds the largest buffer given back; `take` hands it out emptied (its
// capacity kept), or an empty buffer when none is held. Under the sanitizers
// (the fuzzer's build) a block of some hundred kilobytes is mapped afresh at
// every allocation and faulted in page by page when first written: a buffer
// made again and again at that size is cheaper taken from here.
template <typename Buffer>
class SpareBuffer {
 public:
  void keep(Buffer&& buffer) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (buffer.capacity() > buffer_.capacity()) buffer_.swap(buffer);
  }
  Buffer take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    Buffer buffer;
    buffer.swap(buffer_);
    buffer.clear();
    return buffer;
  }

 private:
  std::mutex mutex_;
  Buffer buffer_;
};

}  // namespace sb
