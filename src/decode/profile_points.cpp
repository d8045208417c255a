#include "decode/profile_points.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace sb {

namespace {

std::uint64_t little_endian(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// One tagged value; false when the stream ends or the tag is unknown.
bool read_value(ByteStream& in, ValueTag& tag, double& v) {
  // Walks over a million metres read most values where they lie, with the
  // parser of values in memory.
  if (const unsigned char* p = in.peek(10)) {
    ProfileValues one(std::string_view(reinterpret_cast<const char*>(p), 10));
    const TaggedValue value = one.next();
    if (one.stopped() != ProfileValues::Stop::None) {
      in.skip(2);  // ten bytes hold any value: only the tag was unknown
      return false;
    }
    tag = value.tag;
    v = value.value;
    in.skip(one.offset());
    return true;
  }
  unsigned char b[8];
  if (!in.take(b, 2)) return false;
  const auto t = static_cast<std::uint16_t>(little_endian(b, 2));
  v = 0.0;
  if (t == 2) {
    if (!in.take(b, 2)) return false;
    v = static_cast<std::int16_t>(static_cast<std::uint16_t>(little_endian(b, 2)));
    tag = ValueTag::Int16;
  } else if (t == 5) {
    if (!in.take(b, 8)) return false;
    v = std::bit_cast<double>(little_endian(b, 8));
    tag = ValueTag::Float64;
  } else if (t == 0) {
    tag = ValueTag::Empty;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::size_t ByteStream::read_up_to(unsigned char* dst, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    if (cur_ == end_ && !refill()) break;
    const std::size_t k = std::min(n - done, static_cast<std::size_t>(end_ - cur_));
    std::memcpy(dst + done, cur_, k);
    cur_ += k;
    done += k;
  }
  return done;
}

bool SourceStream::refill() {
  const std::size_t k = in_->read(buf_.data(), buf_.size());
  cur_ = reinterpret_cast<const unsigned char*>(buf_.data());
  end_ = cur_ + k;
  return k > 0;
}

bool profile_well_formed(ByteStream& bytes, std::int32_t extended) {
  const std::size_t values = 2 * (static_cast<std::size_t>(extended) + 1);
  ValueTag tag;
  double v;
  for (std::size_t i = 0; i < values; ++i) {
    if (!read_value(bytes, tag, v)) return false;
  }
  return bytes.at_end();
}

bool same_bytes(ByteStream& a, ByteStream& b) {
  unsigned char x[4096], y[4096];
  for (;;) {
    const std::size_t ka = a.read_up_to(x, sizeof x);
    const std::size_t kb = b.read_up_to(y, sizeof y);
    if (ka != kb || std::memcmp(x, y, ka) != 0) return false;
    if (ka == 0) return true;
  }
}

ProfilePoints::ProfilePoints(std::unique_ptr<ByteStream> x, std::unique_ptr<ByteStream> y, std::int32_t extended)
    : extended_(extended), x_(std::move(x)), y_(std::move(y)) {
  // The y part starts where the x values end.
  ValueTag tag;
  double ignored;
  for (std::int32_t m = 0; m <= extended; ++m) read_value(*y_, tag, ignored);
}

ProfilePoints::ProfilePoints(std::string_view bytes, std::int32_t extended)
    : ProfilePoints(std::make_unique<ViewStream>(bytes), std::make_unique<ViewStream>(bytes), extended) {}

ProfilePoint ProfilePoints::next() {
  ProfilePoint p{ValueTag::Empty, ValueTag::Empty, 0.0, 0.0};
  if (!read_value(*x_, p.x_tag, p.x)) p.x_tag = ValueTag::Empty;
  if (!read_value(*y_, p.y_tag, p.y)) p.y_tag = ValueTag::Empty;
  return p;
}

}  // namespace sb
