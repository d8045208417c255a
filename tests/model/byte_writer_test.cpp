#include "model/byte_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "model/memory_files.h"

namespace sb {
namespace {

// A record of every width, one claimed 15-byte block among them, and a text.
void mixed_record(ByteWriter& out) {
  out.u8(0xAB);
  out.u16(0x0102);
  out.i16(-2);
  out.i32(-450);
  out.f64(1.0);
  char* at = out.claim(15);
  ByteWriter::put(at, std::uint16_t{0x0A0B});
  for (int i = 2; i < 15; ++i) at[i] = static_cast<char>(i);
  out.text("ORSEA");
}

std::string written_with_buffer(std::size_t buffer_size) {
  MemoryFiles files;
  files.replace("f", [&](OutputSink& sink) {
    ByteWriter out(sink, 0, buffer_size);
    mixed_record(out);
    mixed_record(out);
    out.flush();
  });
  return files.files["f"];
}

TEST(ByteWriter, FieldsAreLittleEndianAndGapless) {
  const std::string one_record = written_with_buffer(1 << 16).substr(0, 39);
  const std::string expected(
      "\xAB\x02\x01\xFE\xFF\x3E\xFE\xFF\xFF"
      "\x00\x00\x00\x00\x00\x00\xF0\x3F"
      "\x0B\x0A\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E"
      "\x05\x00ORSEA",
      39);
  EXPECT_EQ(one_record, expected);
}

TEST(ByteWriter, BufferSizeNeverChangesTheBytes) {
  // Buffers smaller than one field or one claimed record must grow rather
  // than overrun; blocks that straddle a flush must arrive whole and in order.
  const std::string reference = written_with_buffer(1 << 16);
  ASSERT_EQ(reference.size(), 78u);
  for (std::size_t size : {1u, 2u, 3u, 7u, 15u, 16u, 40u}) {
    EXPECT_EQ(written_with_buffer(size), reference) << "buffer of " << size << " bytes";
  }
}

}  // namespace
}  // namespace sb
