#include "documents/driver_documents.h"

#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <string>
#include <vector>

#include "app/directory_files.h"
#include "documents/description_documents.h"
#include "documents/document_lines.h"
#include "model/memory_files.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

std::vector<std::string> lines_of(const DocumentBuffer& b) { return testing::crlf_lines(document_bytes(b)); }

const std::string kOrderBlankRow = " |   |                            |            |          |         |            |";
const std::string kOrderRule = " |___|____________________________|____________|__________|_________|____________|";
const std::string kCardRule = " |_____|_____|__________|_____|____________________________|________________|_____|";
const std::string kCardBlankRow = " |     |     |          |     |                            |                |     |";

TEST(DriverDocuments, AreWrittenUnderTheScenarioNamesWithTheirLineCounts) {
  MemoryFiles files;
  ScenarioModel model;
  model.RouteName = "ORSEA_MONTELBA";
  model.TrainCode = "RX17";
  dati_note(model, files);
  EXPECT_EQ(model.LoopIndex, 9);
  dati_rallentamenti(model, files);
  EXPECT_EQ(model.LoopIndex, 46);
  dati_scheda(model, files);
  EXPECT_EQ(model.LoopIndex, 50);
  ASSERT_EQ(files.files.size(), 3u);
  EXPECT_EQ(files.files.at("ORSEA_MONTELBA_RX17_note.txt"), document_bytes(notes_buffer()));
  EXPECT_EQ(files.files.at("ORSEA_MONTELBA_RX17_rallentamenti.txt"), document_bytes(slowdown_order_buffer()));
  EXPECT_EQ(files.files.at("ORSEA_MONTELBA_RX17_scheda_treno.txt"), document_bytes(timetable_card_buffer()));
}

TEST(DriverDocuments, ReplaceLongerEarlierCopiesOnDisk) {
  testing::TempDir dir;
  const char* names[] = {"R_T_note.txt", "R_T_rallentamenti.txt", "R_T_scheda_treno.txt"};
  for (const char* n : names) testing::write_file(dir.path() / n, std::string(20000, 'x'));
  DirectoryFiles files(dir.str(), '/');
  ScenarioModel model;
  model.RouteName = "R";
  model.TrainCode = "T";
  for (int run = 0; run < 2; ++run) {
    dati_note(model, files);
    dati_rallentamenti(model, files);
    dati_scheda(model, files);
  }
  EXPECT_EQ(testing::read_file(dir.path() / names[0]), document_bytes(notes_buffer()));
  EXPECT_EQ(testing::read_file(dir.path() / names[1]), document_bytes(slowdown_order_buffer()));
  EXPECT_EQ(testing::read_file(dir.path() / names[2]), document_bytes(timetable_card_buffer()));
}

TEST(DriverDocuments, AreSingleByteCp1252WithoutUtf8Sequences) {
  for (const auto& buffer : {notes_buffer(), slowdown_order_buffer(), timetable_card_buffer()}) {
    const std::string bytes = document_bytes(buffer);
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      // Bytes cp1252 leaves unused, and the lead bytes of two-byte UTF-8.
      EXPECT_TRUE(b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) << "byte " << i;
      EXPECT_FALSE(b == 0xC2 || b == 0xC3) << "byte " << i;
      // Only line ends as control characters.
      if (b < 0x20) {
        EXPECT_TRUE((b == '\r' && bytes[i + 1] == '\n') || (b == '\n' && i > 0 && bytes[i - 1] == '\r')) << i;
      }
    }
  }
}

TEST(Notes, AreNineLinesOfItalianWithSingleByteAccents) {
  const auto lines = lines_of(notes_buffer());
  ASSERT_EQ(lines.size(), 9u);
  for (std::size_t i = 0; i < 7; ++i) EXPECT_GT(lines[i].size(), 40u) << "line " << i;
  // Line 4 breaks off mid-sentence and line 5 carries it on.
  EXPECT_NE(lines[4].back(), '.');
  EXPECT_TRUE(std::islower(static_cast<unsigned char>(lines[5][0])));
  EXPECT_EQ(lines[7], "Buon divertimento.");
  EXPECT_NE(lines[8].find("@example.org"), std::string::npos) << lines[8];
  const std::string text = document_bytes(notes_buffer());
  for (char accented : {'\xE8', '\xE0', '\xF9', '\xE9'}) {  // è à ù é
    EXPECT_NE(text.find(accented), std::string::npos) << static_cast<int>(static_cast<unsigned char>(accented));
  }
}

TEST(SlowdownOrder, IsWrittenExactly) {
  std::vector<std::string> expected = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  ORSEA MONTELBA",
      "",
      "  Si ordina al macchinista del treno 17 di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      kOrderRule,
      kOrderBlankRow,
      " |   |  nessun rallentamento      |            |          |         |            |",
  };
  expected.insert(expected.end(), 24, kOrderBlankRow);
  expected.insert(
      expected.end(),
      {kOrderRule, "", "              Prescrizioni specifiche",
       " A - Da rispettare con tutto il treno (per i treni viaggiatori)", " B - Interessa anche la stazione di.......",
       " D - Rallentamneto N. ... e N. ...  sono contigui",
       " C - Da rispettare dalle ore ....  alle ore ..... di tutti", "     i giorni esclusi i seguenti:........."});
  ASSERT_EQ(expected.size(), 46u);
  const auto lines = lines_of(slowdown_order_buffer());
  ASSERT_EQ(lines.size(), 46u);
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
  EXPECT_EQ(kOrderBlankRow.size(), 82u);
}

TEST(TimetableCard, FrameLinesAreExactIncludingTrailingBlanks) {
  const auto lines = lines_of(timetable_card_buffer());
  ASSERT_EQ(lines.size(), 50u);
  const std::vector<std::string> head = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA                   |              |",
      " |   TRENO n.RX17    |                   da: ORSEA                 |    V200 C    |",
      " |___________________|                    a: MONTELBA B.V.         |     135%     |",
      std::string(67, ' ') + "|______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        RX         |              |      630T         |",
      " |___________________|              |___________________|",
      "",
      "  " + std::string(80, '_'),
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      kCardRule,
  };
  for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i], head[i]) << "line " << i;
  EXPECT_TRUE(lines[8].ends_with("|" + std::string(7, ' ')));
  for (std::size_t i = 36; i <= 47; ++i) EXPECT_EQ(lines[i], kCardBlankRow) << "line " << i;
  EXPECT_EQ(lines[48], kCardRule);
  EXPECT_EQ(lines[49], "");
}

TEST(TimetableCard, FirstServiceRowIsExact) {
  EXPECT_EQ(lines_of(timetable_card_buffer())[16],
            " | 95  | 80  |  0+00    |     |  ORSEA                     |         14.09  |     |");
}

TEST(TimetableCard, EveryServiceRowKeepsTheColumnLayout) {
  const auto lines = lines_of(timetable_card_buffer());
  ASSERT_EQ(lines.size(), 50u);
  // Field contents, each matched over its whole width.
  const std::regex speed(" [0-9]{2,3} *| {5}");
  const std::regex km(" {0,2}[0-9]{1,2}\\+[0-9]{2,3} *");
  const std::regex location("  [A-Za-z][A-Za-z .']* *");
  const std::regex time(" *([0-9]{2}\\.[0-9]{2} - )?[0-9]{2}\\.[0-9]{2}  | {16}");
  const std::regex recovery(" [0-9](\\.[0-9])? *| {5}");
  const std::size_t widths[] = {5, 5, 10, 5, 28, 16, 5};
  for (std::size_t i = 16; i <= 35; ++i) {
    const std::string& row = lines[i];
    ASSERT_EQ(row.size(), 83u) << "line " << i;
    ASSERT_EQ(row.substr(0, 2), " |") << "line " << i;
    std::vector<std::string> f;
    std::size_t at = 2;
    for (std::size_t w : widths) {
      f.push_back(row.substr(at, w));
      EXPECT_EQ(row[at + w], '|') << "line " << i << " column " << at + w;
      at += w + 1;
    }
    EXPECT_TRUE(std::regex_match(f[0], speed)) << row;
    EXPECT_TRUE(std::regex_match(f[1], speed)) << row;
    EXPECT_TRUE(std::regex_match(f[2], km)) << row;
    EXPECT_EQ(f[2][3], '+') << row;  // kilometre points align on the "+"
    EXPECT_EQ(f[3], "     ") << row;
    EXPECT_TRUE(std::regex_match(f[4], location)) << row;
    EXPECT_TRUE(std::regex_match(f[5], time)) << row;
    EXPECT_TRUE(std::regex_match(f[6], recovery)) << row;
  }
}

// The card lists the service in running order: kilometre points rise and
// times never go back.
TEST(TimetableCard, ServiceRowsRunForwardInPlaceAndTime) {
  const auto lines = lines_of(timetable_card_buffer());
  int last_metres = -1;
  std::string last_time;
  for (std::size_t i = 16; i <= 35; ++i) {
    const std::string km = lines[i].substr(14, 10);
    const int metres = std::stoi(km.substr(0, 3)) * 1000 + std::stoi(km.substr(4));
    EXPECT_GT(metres, last_metres) << lines[i];
    last_metres = metres;
    const std::string time = lines[i].substr(60, 16);
    if (time.find_first_not_of(' ') == std::string::npos) continue;
    const std::string departure = time.substr(9, 5);
    EXPECT_GE(departure, last_time) << lines[i];
    last_time = departure;
  }
}

TEST(TimetableCard, NamesTheStationsOfTheServiceDescription) {
  std::vector<std::string> stations;
  for (const auto& line : testing::crlf_lines(document_bytes(service_description_buffer()))) {
    if (line.rfind("stazione,", 0) == 0) stations.push_back(line.substr(line.rfind(", ") + 2));
  }
  ASSERT_EQ(stations.size(), 14u);
  const auto lines = lines_of(timetable_card_buffer());
  const std::size_t station_rows[] = {16, 18, 19, 20, 21, 23, 24, 25, 26, 27, 30, 32, 33, 35};
  for (std::size_t n = 0; n < 14; ++n) {
    std::string location = lines[station_rows[n]].substr(33, 26);
    location.erase(location.find_last_not_of(' ') + 1);
    EXPECT_EQ(location, stations[n]) << "station " << n + 1;
  }
  // The header box abbreviates the last station's locality.
  EXPECT_NE(lines[5].find("a: MONTELBA B.V."), std::string::npos);
}

}  // namespace
}  // namespace sb
