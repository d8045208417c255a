#include "documents/document_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/directory_files.h"
#include "documents/cp1252.h"
#include "model/memory_files.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

DocumentBuffer buffer_of(std::initializer_list<const char*> lines) {
  DocumentBuffer b = make_document_buffer();
  std::size_t i = 0;
  for (const char* line : lines) b[i++] = line;
  return b;
}

TEST(DocumentWriter, ReplacesAnEarlierLongerFileInMemory) {
  MemoryFiles files;
  files.files["doc.txt"] = std::string(5000, 'x');
  ScenarioModel model;
  write_document(model, files, "doc.txt", make_document_buffer({"uno", "due"}));
  EXPECT_EQ(files.files["doc.txt"], "uno\r\ndue\r\n");
}

TEST(DocumentWriter, ReplacesOrCreatesFilesInARealDirectory) {
  testing::TempDir dir;
  testing::write_file(dir.path() / "old.txt", std::string(5000, 'x') + "\r\n");
  DirectoryFiles files(dir.str(), '/');
  ScenarioModel model;
  write_document(model, files, "old.txt", make_document_buffer({"nuovo"}));
  write_document(model, files, "missing.txt", make_document_buffer({"creato"}));
  write_document(model, files, "missing.txt", make_document_buffer({"di nuovo"}));
  EXPECT_EQ(testing::read_file(dir.path() / "old.txt"), "nuovo\r\n");
  EXPECT_EQ(testing::read_file(dir.path() / "missing.txt"), "di nuovo\r\n");
}

TEST(DocumentWriter, StopsOnlyAtALineThatIsExactlyTheEndMarker) {
  const DocumentBuffer b =
      buffer_of({"riferimento fine del file, e oltre", " riferimento fine del file", "riferimento fine del file ",
                 "Riferimento fine del file", "riferimento fine del file", "never written"});
  MemoryFiles files;
  ScenarioModel model;
  write_document(model, files, "doc.txt", b);
  EXPECT_EQ(files.files["doc.txt"],
            "riferimento fine del file, e oltre\r\n riferimento fine del file\r\nriferimento fine del file \r\n"
            "Riferimento fine del file\r\n");
  EXPECT_EQ(model.LoopIndex, 4);
}

TEST(DocumentWriter, EmptySlotsBeforeTheMarkerAreEmptyLines) {
  const DocumentBuffer b = buffer_of({"", "testa", "", "", "coda", "", kEndMarker});
  int lines = -1;
  EXPECT_EQ(document_bytes(b, &lines), "\r\ntesta\r\n\r\n\r\ncoda\r\n\r\n");
  EXPECT_EQ(lines, 6);
}

TEST(DocumentWriter, MarkerInTheFirstSlotWritesAnEmptyFile) {
  MemoryFiles files;
  files.files["doc.txt"] = "vecchio\r\n";
  ScenarioModel model;
  model.LoopIndex = 99;
  write_document(model, files, "doc.txt", make_document_buffer(std::vector<std::string>{}));
  EXPECT_EQ(files.files["doc.txt"], "");
  EXPECT_EQ(model.LoopIndex, 0);
}

TEST(DocumentWriter, WritesSingleByteCp1252WithCrLfAndNoByteOrderMark) {
  const std::string bytes = document_bytes(make_document_buffer({"perché più città", "€ 5"}));
  EXPECT_EQ(bytes, "perch\xE9 pi\xF9 citt\xE0\r\n\x80 5\r\n");
}

TEST(DocumentWriter, BufferWithoutMarkerStopsAtItsLastSlot) {
  // Every document carries the marker; one that does not must not read past
  // its table.
  DocumentBuffer b = make_document_buffer();
  b[1000] = "ultima";
  int lines = -1;
  const std::string bytes = document_bytes(b, &lines);
  EXPECT_EQ(lines, kDocumentSlots);
  EXPECT_EQ(bytes.size(), 1000u * 2 + 6 + 2);
  EXPECT_EQ(bytes.substr(bytes.size() - 8), "ultima\r\n");
}

TEST(DocumentWriter, AtMostOneThousandLinesLeaveRoomForTheMarker) {
  const DocumentBuffer full = make_document_buffer(std::vector<std::string>(1000, "riga"));
  EXPECT_EQ(full[1000], kEndMarker);
  EXPECT_THROW(make_document_buffer(std::vector<std::string>(1001, "riga")), std::length_error);
}

TEST(DocumentWriter, UnconvertibleTextLeavesTheEarlierFileUntouched) {
  MemoryFiles files;
  files.files["doc.txt"] = "vecchio\r\n";
  ScenarioModel model;
  EXPECT_THROW(write_document(model, files, "doc.txt", make_document_buffer({"ok", "\xE2\x88\x9E"})),
               std::invalid_argument);
  EXPECT_EQ(files.files["doc.txt"], "vecchio\r\n");
}

TEST(Utf8ToCp1252, MapsEachCharacterToItsSingleByte) {
  struct Case {
    const char* utf8;
    const char* cp1252;
  } cases[] = {
      {"plain ASCII, 0-9 ()", "plain ASCII, 0-9 ()"},
      {"\xC3\xA8\xC3\xA9\xC3\xA0\xC3\xB2\xC3\xB9\xC3\xAC", "\xE8\xE9\xE0\xF2\xF9\xEC"},  // è é à ò ù ì
      {"\xC3\x88\xC3\x80", "\xC8\xC0"},                                                  // È À
      {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},                                                  // edges of Latin-1
      {"\xE2\x82\xAC\xE2\x80\x99\xC5\xB8", "\x80\x92\x9F"},                              // € ’ Ÿ
  };
  for (const auto& c : cases) EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252) << c.utf8;
}

TEST(Utf8ToCp1252, RefusesWhatCp1252CannotHoldAndBrokenUtf8) {
  const char* refused[] = {
      "\xC4\x80",          // U+0100, beyond Latin-1 and not in the 0x80 row
      "\xC2\x81",          // U+0081: cp1252 leaves 0x81 unused
      "\xE4\xB8\xAD",      // a CJK character
      "\xF0\x9F\x98\x80",  // an emoji
      "\xE8",              // a cp1252 byte given as if it were UTF-8
      "a\xC3",             // sequence cut at the end
      "\xC3(",             // continuation byte missing
      "\x80",              // stray continuation byte
  };
  for (const char* s : refused) EXPECT_THROW(utf8_to_cp1252(s), std::invalid_argument) << ::testing::PrintToString(s);
}

}  // namespace
}  // namespace sb
