#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "documents/description_documents.h"
#include "documents/document_writer.h"
#include "model/error_codes.h"
#include "model/file_names.h"
#include "model/memory_files.h"
#include "model/runtime_failure.h"
#include "reading/memorizza_dati.h"

namespace sb {
namespace {

constexpr int kRoute = 89000;  // cells 0 .. 1920
constexpr int kUpper = 1920;

// A model as the line half leaves it, and the service description in memory.
class ServiceReaderTest : public ::testing::Test {
 protected:
  ServiceReaderTest() {
    model.RouteName = "ORSEA_MONTELBA";
    model.TrainCode = "RX17";
    model.allocate_track(kRoute);
  }

  std::string name() const { return service_description_name(model.RouteName, model.TrainCode); }

  // Reads `body` (lines joined with CR LF), preceded by "[generale]" and
  // followed by "[fine]" as the document is.
  void read(const std::vector<std::string>& body) {
    std::vector<std::string> lines{"[generale]"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("[fine]");
    read_raw(join(lines));
  }

  void read_raw(const std::string& bytes) {
    files.files[name()] = bytes;
    ReadingContext context{model, files, boardSlot};
    read_service_description(context);
  }

  static std::string join(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
  }

  TrackCell& cell(int i) { return model.TrackArray.at(static_cast<std::size_t>(i)); }
  StationEntry& entry(int i) { return model.ScenarioHeader.at(static_cast<std::size_t>(i)); }
  bool deleted() { return !files.exists(name()); }

  ScenarioModel model;
  MemoryFiles files;
  std::int32_t boardSlot = 80;
};

// ---------------------------------------------------------------- fields and keywords

TEST_F(ServiceReaderTest, ScalarEntriesFillTheTrainAndClockEntries) {
  read({"numero vetture,    12", "percentuale massa frenata,    135", "sabbia,    300",
        "orologio,    14              12            0 "});
  EXPECT_EQ(model.ErrorCode, 0);
  EXPECT_EQ(entry(84).position, 12);
  EXPECT_EQ(entry(84).areaStart, 135);
  EXPECT_EQ(entry(86).set1a, 300);
  EXPECT_EQ(entry(86).set2a, 14);
  EXPECT_EQ(entry(86).set2b, 12);
  EXPECT_EQ(entry(86).set2c, 0);
  EXPECT_TRUE(deleted());
}

TEST_F(ServiceReaderTest, KeywordRecognitionFollowsTheFieldRules) {
  struct Case {
    const char* what;
    std::vector<std::string> body;
    int cars;
    int sand;
  };
  const Case cases[] = {
      {"letter case is ignored", {"NUMERO VETTURE, 7", "Sabbia, 9"}, 7, 9},
      {"a later entry overwrites", {"vetture, 7", "vetture, 8"}, 8, 0},
      {"two keywords in one field: upper row first", {"vetture e sabbia, 7, 9"}, 7, 9},
      {"surplus fields are passed over", {"vetture, 7, 99, 98", "sabbia, 9"}, 7, 9},
      {"a surplus field holding a keyword starts an entry", {"vetture, 7, sabbia, 9"}, 7, 9},
      {"section names are not entries",
       {"[aderenze]", "[vel_limite]", "[stazioni]", "[rallentamenti]", "[segnali]", "[codici]", "vetture, 7"},
       7,
       0},
      {"a line of dashes is passed over", {"-----------------", "vetture, 7"}, 7, 0},
      {"a keyword field holding a dash is not examined", {"-vetture, 7", "sabbia, 9"}, 0, 9},
      {"the third dashed field in a row is examined", {"-a, -b, -vetture, 7"}, 7, 0},
      {"data fields are never tested for dashes", {"vetture, -7"}, -7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    model.ScenarioHeader = {};
    model.ErrorCode = 0;
    read(c.body);
    EXPECT_EQ(model.ErrorCode, 0);
    EXPECT_EQ(entry(84).position, c.cars);
    EXPECT_EQ(entry(86).set1a, c.sand);
  }
}

TEST_F(ServiceReaderTest, ClockReadsTheSameWithBlanksOrCommas) {
  for (const char* line :
       {"orologio,    14              12            0 ", "orologio, 14, 12, 0", "orologio,14 12,0"}) {
    SCOPED_TRACE(line);
    model.ScenarioHeader = {};
    read({line, "vetture, 3"});
    EXPECT_EQ(entry(86).set2a, 14);
    EXPECT_EQ(entry(86).set2b, 12);
    EXPECT_EQ(entry(86).set2c, 0);
    EXPECT_EQ(entry(84).position, 3);
  }
}

TEST_F(ServiceReaderTest, OnlyFieldsAfterTheFirstGeneraleCount) {
  read_raw(join({"vetture, 5", "sabbia, 1", "[Generale]", "sabbia, 9", "[fine]"}));
  EXPECT_EQ(entry(84).position, 0);
  EXPECT_EQ(entry(86).set1a, 9);
}

TEST_F(ServiceReaderTest, FileWithoutGeneraleYieldsNoEntriesButStillChecksTheMarkers) {
  entry(82).areaEnd = 1020;
  read_raw(join({"velocita, 0, 95", "velocita, 2000, 150", "[fine]"}));
  EXPECT_EQ(model.ErrorCode, err::kMarkerNotMultiple);
  EXPECT_EQ(cell(10).speedLimit, 0);
  EXPECT_TRUE(deleted());
}

TEST_F(ServiceReaderTest, TheFieldThatEndsTheFileIsNeverExamined) {
  // Without a line end the last field "sabbia" ends the file and is not read
  // as an entry (which would read past the end).
  read_raw(join({"[generale]", "vetture, 4"}) + "sabbia");
  EXPECT_EQ(model.ErrorCode, 0);
  EXPECT_EQ(entry(84).position, 4);
  // An entry on the last line with its data fields is read whole.
  read_raw(join({"[generale]", "sabbia, 300"}));
  EXPECT_EQ(entry(86).set1a, 300);
}

TEST_F(ServiceReaderTest, UnreadableOrOversizedValuesAreRunTimeFailures) {
  const std::vector<std::string> bodies[] = {
      {"vetture, dodici"},                                             // not a number
      {"sabbia, 40000"},                                               // an integer16 field
      {"orologio, 14, 99999, 0"},                                      // an integer16 field
      {"velocita, 0, 1278"},                                           // 256 steps of 5 km/h do not fit a byte (tail)
      {"velocita, 0, -5"},                                             // nor do negative steps
      {"stazione, 0, 256, 900, 0,0,0, 0,0,0, 0,0,0, 0, 14,0,0, A"},    // kind is a byte
      {"stazione, 0, 2, 900, 0,0,0, 0,0,0, 0,0,0, 0, 999999,0,0, A"},  // time of day overflows 32 bits
  };
  for (const auto& body : bodies) {
    SCOPED_TRACE(body.front());
    EXPECT_THROW(read(body), RuntimeFailure);
  }
  // An entry cut short by the end of the file reads past it.
  EXPECT_THROW(read_raw(join({"[generale]", "velocita, 2000"})), RuntimeFailure);
}

// ---------------------------------------------------------------- speed and adhesion profiles

TEST_F(ServiceReaderTest, SpeedLimitsHoldFromTheirPositionToTheNextEntry) {
  read({"velocita,       0,    95", "velocita,    2000,   150", "velocita,   87500,   150"});
  EXPECT_EQ(cell(0).speedLimit, 19);
  EXPECT_EQ(cell(39).speedLimit, 19);
  EXPECT_EQ(cell(40).speedLimit, 30);
  EXPECT_EQ(cell(1749).speedLimit, 30);
  EXPECT_EQ(cell(kUpper - 3).speedLimit, 30);  // the tail ends at the third-last cell
  EXPECT_EQ(cell(kUpper - 2).speedLimit, 0);
  EXPECT_EQ(cell(kUpper).speedLimit, 0);
}

TEST_F(ServiceReaderTest, SpeedLimitIsStoredInStepsOfFiveRounded) {
  struct Case {
    int kmh;
    int stored;
  };
  for (const Case c : {Case{92, 18}, Case{1277, 255}, Case{95, 19}, Case{12, 2}, Case{17, 3}, Case{0, 0}}) {
    SCOPED_TRACE(c.kmh);
    read({"velocita, 0, " + std::to_string(c.kmh)});
    EXPECT_EQ(cell(0).speedLimit, c.stored);
    EXPECT_EQ(cell(kUpper - 3).speedLimit, c.stored);
  }
}

TEST_F(ServiceReaderTest, ProfileEntryCellIsItsPositionOverFiftyRoundedToEven) {
  // 75 / 50 = 1.5 and 125 / 50 = 2.5 both round to 2: cells 0 and 1 take the
  // first limit, cell 2 the second.
  for (const char* position : {"75", "125"}) {
    SCOPED_TRACE(position);
    read({"velocita, 0, 50", std::string("velocita, ") + position + ", 100"});
    EXPECT_EQ(cell(1).speedLimit, 10);
    EXPECT_EQ(cell(2).speedLimit, 20);
  }
}

TEST_F(ServiceReaderTest, EntryAtOrBeforeItsCounterWritesOneCell) {
  read({"velocita, 100, 50", "velocita, 100, 60", "velocita, 50, 70", "aderenza, 100, 90", "aderenza, 100, 91"});
  // The first entry writes cells 0 and 1 with the starting value 0.
  EXPECT_EQ(cell(1).speedLimit, 0);
  EXPECT_EQ(cell(2).speedLimit, 10);
  EXPECT_EQ(cell(3).speedLimit, 12);
  EXPECT_EQ(cell(4).speedLimit, 14);
  EXPECT_EQ(cell(2).adhesion, 90);
  EXPECT_EQ(cell(3).adhesion, 91);
}

TEST_F(ServiceReaderTest, AdhesionKeepsTheLowEightBits) {
  read({"aderenza,       0,    90", "aderenza,   34100,    85", "aderenza,   59400,   300"});
  EXPECT_EQ(cell(0).adhesion, 90);
  EXPECT_EQ(cell(681).adhesion, 90);
  EXPECT_EQ(cell(682).adhesion, 85);
  EXPECT_EQ(cell(1187).adhesion, 85);
  EXPECT_EQ(cell(1188).adhesion, 44);
  EXPECT_EQ(cell(kUpper - 3).adhesion, 44);
}

TEST_F(ServiceReaderTest, ProfileEntriesOutOfOrderStopAtTheLastCell) {
  // Each entry at or before its counter moves it one cell on; far more of
  // them than there are cells must not leave the track.
  std::vector<std::string> body{"aderenza, 95800, 90", "velocita, 95800, 100"};
  for (int i = 0; i < 40; ++i) {
    body.push_back("aderenza, 50, 95");
    body.push_back("velocita, 50, 120");
  }
  read(body);
  EXPECT_EQ(model.ErrorCode, 0);
  EXPECT_EQ(cell(1915).adhesion, 0);  // up to cell 1915 the starting value 0
  EXPECT_EQ(cell(1916).adhesion, 90);
  EXPECT_EQ(cell(1919).adhesion, 95);
  EXPECT_EQ(cell(kUpper).adhesion, 95);  // the tail writes the cell its counter stands on
  EXPECT_EQ(cell(kUpper).speedLimit, 24);
}

// ---------------------------------------------------------------- stations

const char* const kFirstStation = "stazione,       0,  2,  900,  0, 1, 0,  1,1,0,  4,1,1,    1,  14,13, 0, ORSEA";

std::string station(int position, int kind, int length, int flag3 = 0, const char* name = "X") {
  return "stazione, " + std::to_string(position) + ", " + std::to_string(kind) + ", " + std::to_string(length) +
         ", 0, 1, " + std::to_string(flag3) + ", 0,0,0, 0,0,0, 0, 10,0,0, " + name;
}

TEST_F(ServiceReaderTest, FirstStationOfTheDocument) {
  read({kFirstStation});
  ASSERT_EQ(model.ErrorCode, 0);
  const StationEntry& e = entry(1);
  EXPECT_EQ(e.position, 0);
  EXPECT_EQ(e.kind, 2);
  EXPECT_EQ(e.areaStart, -450);
  EXPECT_EQ(e.areaEnd, 450);
  EXPECT_EQ(e.flag1, 0);
  EXPECT_EQ(e.flag2, 0);  // cleared for the first station
  EXPECT_EQ(e.flag3, 0);
  EXPECT_EQ(e.set1a, 1);
  EXPECT_EQ(e.set1b, 1);
  EXPECT_EQ(e.set1c, 0);
  EXPECT_EQ(e.set2a, 4);
  EXPECT_EQ(e.set2b, 1);
  EXPECT_EQ(e.set2c, 1);
  EXPECT_EQ(e.extra, 1);
  EXPECT_EQ(e.timeOfDay, (14 * 60 + 13) * 60);
  EXPECT_EQ(e.name, "ORSEA");
  EXPECT_EQ(cell(8).kind, 10);
  EXPECT_EQ(cell(8).value1, 1);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(cell(8 - j).approach, 80 + j) << j;
  EXPECT_EQ(cell(3).approach, 0);
}

TEST_F(ServiceReaderTest, StationAreaAndMarksDependOnKind) {
  struct Case {
    const char* what;
    int kind;
    int length;
    int flag3;
    int areaStart;
    int areaEnd;
    int storedFlag3;
    int markerCell;  // 0: no end marker
    bool approach;
  };
  // The second station, at 10000, after the document's first.
  const Case cases[] = {
      {"ordinary kind", 12, 500, 0, 9750, 10250, 0, 204, true},
      {"third flag lengthens the area by 50 m", 12, 500, 1, 9750, 10300, 1, 205, true},
      {"kind 5 ends 150 m past the position", 5, 400, 1, 9600, 10150, 0, 202, false},
      {"kind 6 as kind 5", 6, 400, 0, 9600, 10150, 0, 202, false},
      {"kind 7 reaches the length both ways", 7, 300, 1, 9700, 10300, 0, 205, true},
      {"kind 26 has no marks", 26, 500, 0, 9750, 10250, 0, 0, false},
      {"kind 28 has no marks", 28, 400, 0, 9800, 10200, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    model.allocate_track(kRoute);
    model.ScenarioHeader = {};
    read({kFirstStation, station(10000, c.kind, c.length, c.flag3), station(20000, 2, 500)});
    ASSERT_EQ(model.ErrorCode, 0);
    EXPECT_EQ(entry(2).areaStart, c.areaStart);
    EXPECT_EQ(entry(2).areaEnd, c.areaEnd);
    EXPECT_EQ(entry(2).flag3, c.storedFlag3);
    EXPECT_EQ(entry(3).position, 20000);  // counted whatever its kind
    int markers = 0;
    int approaches = 0;
    for (int i = 150; i < 250; ++i) {
      markers += cell(i).kind == 10 ? 1 : 0;
      approaches += cell(i).approach != 0 ? 1 : 0;
    }
    if (c.markerCell != 0) {
      EXPECT_EQ(cell(c.markerCell).kind, 10);
      EXPECT_EQ(cell(c.markerCell).value1, 2);
    }
    EXPECT_EQ(markers, c.markerCell != 0 ? 1 : 0);
    EXPECT_EQ(approaches, c.approach ? 4 : 0);
    if (c.approach) {
      EXPECT_EQ(cell(c.markerCell - 1).approach, 81);
    }
  }
}

TEST_F(ServiceReaderTest, SecondFlagIsClearedForAreasUnder600m) {
  read({kFirstStation, station(10000, 12, 500), station(20000, 12, 600)});
  EXPECT_EQ(entry(2).flag2, 0);
  EXPECT_EQ(entry(3).flag2, 1);
}

TEST_F(ServiceReaderTest, StationAreasKeep350mApart) {
  // First area ends at 450; a 500 m area at 1050 starts at 800 (350 m on),
  // one at 1000 starts at 750 (300 m on).
  read({kFirstStation, station(1050, 12, 500)});
  EXPECT_EQ(model.ErrorCode, 0);
  model.allocate_track(kRoute);
  read({kFirstStation, station(1000, 12, 500), "vetture, 9"});
  EXPECT_EQ(model.ErrorCode, err::kStationSpacing);
  EXPECT_EQ(entry(84).position, 0);  // the reading ended there
  EXPECT_TRUE(deleted());
}

TEST_F(ServiceReaderTest, StationTableEndsAtTheNextFreeBoardEntry) {
  boardSlot = 70;  // ten information boards
  for (const int count : {68, 69}) {
    SCOPED_TRACE(count);
    model.allocate_track(kRoute);
    model.ScenarioHeader = {};
    model.ErrorCode = 0;
    std::vector<std::string> body;
    for (int n = 0; n < count; ++n) body.push_back(station(1000 * (n + 1), 2, 100));
    read(body);
    EXPECT_EQ(model.ErrorCode, count == 68 ? 0 : err::kStationTableFull);
    EXPECT_EQ(entry(count).position, 1000 * count);  // the last one is stored either way
  }
}

// ---------------------------------------------------------------- errors and their follow-up

// An entry before the failing one fills cells 0 to 19 with 100 km/h when the
// reading goes on to the tails; after an abort cell 20 onward stays 0.
TEST_F(ServiceReaderTest, ErrorsEitherLeaveTheLoopOrAbortTheReading) {
  struct Case {
    const char* what;
    std::string line;
    int code;
    bool tails;
  };
  const Case cases[] = {
      {"station position not a multiple of 50", station(4525, 2, 500), err::kStationPosition, false},
      {"station length not a multiple of 100", station(4500, 2, 450), err::kStationLength, false},
      {"station end marker at cell 1", station(0, 2, 200), err::kStationEndMarker, false},
      {"station area beyond the track", station(80000, 7, 20000), err::kStationBeyondTrack, false},
      {"station position + 800 beyond the track", station(95250, 2, 100), err::kNotOnTrack, true},
      {"speed limit beyond the track", "velocita, 95901, 100", err::kNotOnTrack, true},
      {"signal beyond the track", "segnale, 95901, 1,4,1,0,0,1,3,1,0,0", err::kNotOnTrack, true},
      {"negative station position", station(-50, 2, 100), err::kNegativeServicePosition, true},
      {"negative signal position", "segnale, -10, 1,4,1,0,0,1,3,1,0,0", err::kNegativeServicePosition, true},
      {"negative abbattimento position", "abbattimento, -30, 5", err::kNegativeServicePosition, true},
      {"negative adhesion position", "aderenza, -100, 5", err::kNegativeServicePosition, true},
      {"negative slowdown position", "rallentamento, -100, 30, 500, 0, 0, 0", err::kNegativeServicePosition, true},
      {"slowdown beyond the track", "rallentamento, 90000, 30, 10000, 0, 0, 0", err::kSlowdownBeyondTrack, false},
      // The end rounds to cell -1, or to cell 1921 just past the last (1920).
      {"slowdown ending before the track", "rallentamento, 1000, 30, -1090, 0, 0, 0", err::kSlowdownBeyondTrack, false},
      {"slowdown ending one cell past it", "rallentamento, 90000, 30, 5990, 0, 0, 0", err::kSlowdownBeyondTrack, false},
      {"signal on a taken cell", "segnale, 1000, 1,4,1,0,0,1,3,1,0,0", err::kSignalCellTaken, false},
      {"abbattimento on a taken cell", "abbattimento, 1050, 5", err::kAbbattimentoCellTaken, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    model.allocate_track(kRoute);
    model.ScenarioHeader = {};
    model.ErrorCode = 0;
    read({"velocita, 0, 100", "segnale, 1000, 1,4,1,0,0,1,3,1,0,0", "velocita, 1000, 50", c.line, "vetture, 9"});
    EXPECT_EQ(model.ErrorCode, c.code);
    EXPECT_EQ(entry(84).position, 0);  // nothing after the failing entry is read
    EXPECT_EQ(cell(19).speedLimit, 20);
    EXPECT_EQ(cell(20).speedLimit, c.tails ? 10 : 0);
    EXPECT_TRUE(deleted());
  }
}

TEST_F(ServiceReaderTest, KilometreMarkerOffTheFiftyMetreStepGivesError2) {
  struct Case {
    int entry;
    int start;
    int value;
    int code;
  };
  for (const Case c : {Case{81, 1000, 0, 0}, Case{82, 1000, 1020, 2}, Case{83, 1025, 0, 2}, Case{81, -50, 100, 0}}) {
    SCOPED_TRACE(c.entry);
    model.ScenarioHeader = {};
    model.ErrorCode = 0;
    entry(c.entry).areaStart = c.start;
    entry(c.entry).areaEnd = c.value;
    read({"vetture, 3"});
    EXPECT_EQ(model.ErrorCode, c.code);
    EXPECT_EQ(entry(84).position, 3);
  }
  // It replaces a 15 left by the loop.
  entry(82).areaEnd = 1020;
  read({"velocita, 96000, 10"});
  EXPECT_EQ(model.ErrorCode, err::kMarkerNotMultiple);
}

TEST_F(ServiceReaderTest, RangeErrorOfTheLineHalfDoesNotEndTheReadingAtTheFirstSignal) {
  model.ErrorCode = err::kNotOnTrack;
  read({"segnale, 2800, 1,4,1,0,0,1,3,1,0,0", "vetture, 12", "velocita, 0, 100"});
  EXPECT_EQ(model.ErrorCode, err::kNotOnTrack);
  EXPECT_EQ(cell(57).kind, 1);
  EXPECT_EQ(entry(84).position, 12);
  EXPECT_EQ(cell(100).speedLimit, 20);
}

TEST_F(ServiceReaderTest, AbbattimentoMarksThePositionsOwnCell) {
  struct Case {
    const char* what;
    std::string line;
    int cell;
    int kind;
    int value;
  };
  const Case cases[] = {
      {"a value is stored", "abbattimento, 5000, 120", 100, 12, 120},
      {"its low 16 bits", "abbattimento, 5000, 70000", 100, 12, 4464},
      {"0 or less: no value", "abbattimento, 5000, -3", 100, 13, 0},
      {"cell nearest(p / 50), not one on", "abbattimento, 5025, 1", 100, 12, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    model.allocate_track(kRoute);
    read({c.line});
    EXPECT_EQ(model.ErrorCode, 0);
    EXPECT_EQ(cell(c.cell).kind, c.kind);
    EXPECT_EQ(cell(c.cell).value1, c.value);
  }
  // A tunnel mark counts as free.
  model.allocate_track(kRoute);
  cell(100).kind = 11;
  read({"abbattimento, 5000, 1"});
  EXPECT_EQ(model.ErrorCode, 0);
  EXPECT_EQ(cell(100).kind, 12);
}

class CollectingSink : public DiagnosticSink {
 public:
  void recorded_error(int code, const SourcePlace& where, const std::string&) override {
    errors.push_back({code, where.line});
  }
  void warning(const std::string& message, const SourcePlace& where) override {
    warnings.push_back({message, where.line});
  }
  std::vector<std::pair<int, int>> errors;            // code, line
  std::vector<std::pair<std::string, int>> warnings;  // message, line
};

TEST_F(ServiceReaderTest, ErrorsAndMisspeltKeywordsAreReportedAtTheirEntrysLine) {
  CollectingSink sink;
  model.diagnostics.sink = &sink;
  read({"sabbia, 300", "stazone, 4500", "velocita, 0, 95", station(4525, 2, 500)});
  EXPECT_EQ(model.ErrorCode, err::kStationPosition);
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_EQ(sink.errors[0], std::make_pair(err::kStationPosition, 5));
  ASSERT_EQ(sink.warnings.size(), 1u);
  EXPECT_NE(sink.warnings[0].first.find("stazione"), std::string::npos);
  EXPECT_EQ(sink.warnings[0].second, 3);
}

TEST_F(ServiceReaderTest, MissingServiceDescriptionIsAFileError) {
  ReadingContext context{model, files, boardSlot};
  EXPECT_THROW(read_service_description(context), FileError);
}

// Through memorizza_dati: a run-time failure in this half ends in the
// failure path, which deletes the service description and records 25.
TEST(ServiceReaderFailurePath, RunTimeFailureDeletesTheServiceDescriptionAndRecords25) {
  ScenarioModel model;
  model.RouteName = "ORSEA_MONTELBA";
  model.TrainCode = "RX17";
  model.allocate_track(kRoute);
  MemoryFiles files;
  files.files[line_description_name(model.RouteName)] = "[generale]\r\nlunghezza percorso, 89000\r\n[fine]\r\n";
  files.files[service_description_name(model.RouteName, model.TrainCode)] =
      "[generale]\r\nsabbia, 300\r\nstazione, 0, 300, 900\r\n[fine]\r\n";
  memorizza_dati(model, files);
  EXPECT_EQ(model.ErrorCode, err::kReadFailure);
  EXPECT_EQ(model.ScenarioHeader[86].set1a, 300);  // what was stored stays
  EXPECT_TRUE(files.files.empty());
}

// Both halves over the embedded documents: every station, signal, speed
// limit and adhesion value the service description implies is in the model.
TEST(ServiceReaderOverTheDocuments, ModelHoldsEveryEntryOfTheEmbeddedDocuments) {
  ScenarioModel model;
  model.RouteName = "ORSEA_MONTELBA";
  model.TrainCode = "RX17";
  MemoryFiles files;
  files.files[line_description_name(model.RouteName)] = document_bytes(line_description_buffer());
  files.files[service_description_name(model.RouteName, model.TrainCode)] =
      document_bytes(service_description_buffer());
  memorizza_dati(model, files);
  ASSERT_EQ(model.ErrorCode, 0);
  ASSERT_EQ(model.track_upper(), kUpper);
  EXPECT_TRUE(files.files.empty());

  EXPECT_EQ(model.ScenarioHeader[84].position, 12);
  EXPECT_EQ(model.ScenarioHeader[84].areaStart, 135);
  EXPECT_EQ(model.ScenarioHeader[86].set1a, 300);
  EXPECT_EQ(model.ScenarioHeader[86].set2a, 14);
  EXPECT_EQ(model.ScenarioHeader[86].set2b, 12);

  const int stations[] = {0, 4500, 9050, 11950, 18350, 22150, 28200, 34900, 39650, 47500, 62600, 70250, 79650, 89800};
  for (int i = 1; i <= 14; ++i) {
    const StationEntry& e = model.ScenarioHeader[static_cast<std::size_t>(i)];
    EXPECT_EQ(e.position, stations[i - 1]) << i;
    EXPECT_FALSE(e.name.empty()) << i;
  }
  EXPECT_EQ(model.ScenarioHeader[1].name, "ORSEA");
  EXPECT_EQ(model.ScenarioHeader[11].timeOfDay, (14 * 60 + 43) * 60);
  EXPECT_EQ(model.ScenarioHeader[14].timeOfDay, (15 * 60 + 9) * 60);
  EXPECT_EQ(model.ScenarioHeader[15].position, 0);
  EXPECT_TRUE(model.ScenarioHeader[15].name.empty());

  const int signals[] = {2800,  4000,  7000,  8200,  9200,  10400, 11500, 12650, 14250, 15650, 16850, 17800, 19900,
                         21100, 24100, 25450, 26650, 27750, 31300, 33050, 34250, 36400, 37800, 39000, 43600, 46800,
                         51850, 60600, 61800, 67600, 68800, 73300, 77000, 78800, 83500, 85800, 87400, 88600};
  int signalCells = 0;
  int endMarkers = 0;
  for (const TrackCell& c : model.TrackArray) {
    signalCells += c.kind == 1 ? 1 : 0;
    endMarkers += c.kind == 10 ? 1 : 0;
  }
  EXPECT_EQ(signalCells, 38);
  for (const int p : signals) EXPECT_EQ(model.TrackArray[static_cast<std::size_t>(p / 50 + 1)].kind, 1) << p;
  EXPECT_EQ(endMarkers, 12);  // kinds 26 and 28 have none

  struct Range {
    int first;
    int last;
    int value;
  };
  // 95, 150, 180, 140, 80, 180, 150 km/h from 0, 2000, 18350, 58500, 61600, 64250, 87500 m.
  for (const Range r :
       {Range{0, 39, 19}, Range{40, 366, 30}, Range{367, 1169, 36}, Range{1170, 1231, 28}, Range{1232, 1284, 16},
        Range{1285, 1749, 36}, Range{1750, kUpper - 3, 30}, Range{kUpper - 2, kUpper, 0}}) {
    for (int i = r.first; i <= r.last; ++i) {
      ASSERT_EQ(model.TrackArray[static_cast<std::size_t>(i)].speedLimit, r.value) << i;
    }
  }
  // 90, 85, 100 from 0, 34100, 59400 m.
  for (const Range r :
       {Range{0, 681, 90}, Range{682, 1187, 85}, Range{1188, kUpper - 3, 100}, Range{kUpper - 2, kUpper, 0}}) {
    for (int i = r.first; i <= r.last; ++i) {
      ASSERT_EQ(model.TrackArray[static_cast<std::size_t>(i)].adhesion, r.value) << i;
    }
  }
}

}  // namespace
}  // namespace sb
