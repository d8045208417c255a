// The points of a profile file read straight from its bytes, metre by
// metre, without building a plan table: for walks over a 1,000,000 m plan.
// The bytes come from memory or from a file read in small blocks.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "model/file_door.h"
#include "model/profile_table.h"

namespace sb {

// Bytes read in order from memory or from a file; the common case (the
// next bytes already in the buffer) costs no call.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // The next n bytes; false when fewer are left.
  bool take(unsigned char* dst, std::size_t n) {
    if (static_cast<std::size_t>(end_ - cur_) >= n) {
      std::memcpy(dst, cur_, n);
      cur_ += n;
      return true;
    }
    return read_up_to(dst, n) == n;
  }
  // Up to n bytes; fewer only at the end.
  std::size_t read_up_to(unsigned char* dst, std::size_t n);
  // The next n bytes where they lie, when the buffer holds them all (else
  // nullptr); skip(k) then moves past k of them.
  const unsigned char* peek(std::size_t n) const { return static_cast<std::size_t>(end_ - cur_) >= n ? cur_ : nullptr; }
  void skip(std::size_t k) { cur_ += k; }
  // True when no byte is left.
  bool at_end() { return cur_ == end_ && !refill(); }

 protected:
  // Points cur_ .. end_ at the next bytes; false at the end.
  virtual bool refill() = 0;
  const unsigned char* cur_ = nullptr;
  const unsigned char* end_ = nullptr;
};

class ViewStream : public ByteStream {
 public:
  explicit ViewStream(std::string_view bytes) {
    cur_ = reinterpret_cast<const unsigned char*>(bytes.data());
    end_ = cur_ + bytes.size();
  }

 protected:
  bool refill() override { return false; }
};

// A file read through a buffer of 64 KiB.
class SourceStream : public ByteStream {
 public:
  explicit SourceStream(std::unique_ptr<InputSource> in) : in_(std::move(in)), buf_(1 << 16) {}

 protected:
  bool refill() override;

 private:
  std::unique_ptr<InputSource> in_;
  std::vector<char> buf_;
};

// True when the stream holds exactly 2 × (extended + 1) tagged values of
// the known tags and nothing more.
bool profile_well_formed(ByteStream& bytes, std::int32_t extended);
// True when the two streams hold the same bytes.
bool same_bytes(ByteStream& a, ByteStream& b);

// A profile's values in the order the file holds them: every metre's x,
// then every metre's y. From the first value the file cannot hold on, every
// value reads as empty, as a decoded plan leaves them, and stop() says why.
// Inline, and over bytes in memory: the decoder and the comparison of two
// profiles read every value this way.
class ProfileValues {
 public:
  enum class Stop { None, FileEnds, UnknownTag, FileEndsInValue };
  explicit ProfileValues(std::string_view bytes)
      : begin_(reinterpret_cast<const unsigned char*>(bytes.data())), at_(begin_), end_(at_ + bytes.size()) {}
  TaggedValue next() {
    TaggedValue v;
    if (end_ - at_ < 2) return stop(Stop::FileEnds);
    const unsigned tag = little<std::uint16_t>(at_);
    if (tag == 5) {
      if (end_ - at_ < 10) return stop(Stop::FileEndsInValue);
      v = {ValueTag::Float64, std::bit_cast<double>(little<std::uint64_t>(at_ + 2))};
      at_ += 10;
    } else if (tag == 2) {
      if (end_ - at_ < 4) return stop(Stop::FileEndsInValue);
      v = {ValueTag::Int16, static_cast<double>(static_cast<std::int16_t>(little<std::uint16_t>(at_ + 2)))};
      at_ += 4;
    } else if (tag == 0) {
      at_ += 2;
    } else {
      return stop(Stop::UnknownTag);
    }
    return v;
  }
  // Why the values stopped, where (the offset of the value that could not
  // be read) and, for an unknown tag, which.
  Stop stopped() const { return stop_; }
  std::size_t stop_offset() const { return stop_at_; }
  unsigned stop_tag() const { return stop_tag_; }
  // Bytes read so far.
  std::size_t offset() const { return static_cast<std::size_t>(at_ - begin_); }

 private:
  // A little-endian number copied in one go (one bounds check under a
  // sanitizer, a plain load on a little-endian machine).
  template <typename Word>
  static Word little(const unsigned char* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    if constexpr (std::endian::native == std::endian::big) {
      Word swapped = 0;
      for (std::size_t i = 0; i < sizeof w; ++i) swapped = static_cast<Word>((swapped << 8) | ((w >> (8 * i)) & 0xFF));
      w = swapped;
    }
    return w;
  }
  TaggedValue stop(Stop why) {
    if (stop_ == Stop::None) {
      stop_ = why;
      stop_at_ = offset();
      if (why == Stop::UnknownTag) stop_tag_ = little<std::uint16_t>(at_);
    }
    at_ = end_;
    return {};
  }
  const unsigned char* begin_;
  const unsigned char* at_;
  const unsigned char* end_;
  Stop stop_ = Stop::None;
  std::size_t stop_at_ = 0;
  unsigned stop_tag_ = 0;
};

struct ProfilePoint {
  ValueTag x_tag, y_tag;
  double x, y;
};

// Two streams over the same well-formed profile of `extended` metres: one
// reads the x values, the other skips them and reads the y values.
class ProfilePoints {
 public:
  ProfilePoints(std::unique_ptr<ByteStream> x, std::unique_ptr<ByteStream> y, std::int32_t extended);
  ProfilePoints(std::string_view bytes, std::int32_t extended);
  std::int32_t last_metre() const { return extended_; }
  // The next metre's point, from metre 0 on; call at most last_metre() + 1 times.
  ProfilePoint next();

 private:
  std::int32_t extended_;
  std::unique_ptr<ByteStream> x_, y_;
};

}  // namespace sb
