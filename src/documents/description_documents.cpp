#include "documents/description_documents.h"

#include <algorithm>
#include <string>
#include <vector>

#include "documents/scenario_stations.h"
#include "model/file_names.h"

namespace sb {

namespace {

const std::vector<std::string> kCurves = {"curvas6,  750,  250",    "curvas1,  1000,  1000",  "curvas1,  2000,  300",
                                          "curvas3,  6500,  300",   "curvad4,  12900,  300",  "curvas1,  13550,  550",
                                          "curvad4,  15100,  300",  "curvad3,  15500,  300",  "curvad3,  16100,  300",
                                          "curvas1,  18050,  300",  "curvas1,  23650,  300",  "curvas1,  26000,  300",
                                          "curvad3,  26500,  650",  "curvad2,  37250,  1200", "curvas2,  39150,  1250",
                                          "curvad2,  44750,  1950", "curvad5,  60900,  300",  "curvad5,  63150,  300",
                                          "curvas1,  78950,  1850", "curvad1,  86300,  650",  "curvad1,  86950,  1150"};

const std::vector<std::string> kGradients = {
    "pendenza,   0,    0",   "pendenza,  1250,   7",  "pendenza,  4500,   10",  "pendenza,  18350,   0",
    "pendenza,  22150,   7", "pendenza,  28200,   9", "pendenza,  39650,   14", "pendenza,  62300,   5",
    "pendenza,  62400,   2", "pendenza,  62600,   0", "pendenza,  63450,   19", "pendenza,  64200,   15",
    "pendenza,  79250,   0"};

const std::vector<std::string> kMountains = {
    "montagna,   30300,  30600,  2",  "montagna,   36050,  36500,  2",  "montagna,   41950,  43750,  11",
    "montagna,   45700,  54900,  11", "montagna,   56900,  60950,  11", "montagna,   64200,  69900,  11",
    "montagna,   71000,  79050,  11", "montagna,   80900,  87850,  11", "montagna,   88250,  89250,  11"};

// The three empty fields are the other side's speeds: no board there.
const std::vector<std::string> kSpeedBoards = {"indicatori_vmax,  2000,  140,  150,  150,  0,  ,  ,  ,  0",
                                               "indicatori_vmax,  18700,  140,  160,  180,  0,  ,  ,  ,  0",
                                               "indicatori_vmax,  57000,  130,  135,  140,  2,  ,  ,  ,  0",
                                               "indicatori_vmax,  57500,  130,  135,  140,  1,  ,  ,  ,  0",
                                               "indicatori_vmax,  58000,  130,  135,  140,  0,  ,  ,  ,  0",
                                               "indicatori_vmax,  59950,  70,  75,  80,  2,  ,  ,  ,  0",
                                               "indicatori_vmax,  60450,  70,  75,  80,  1,  ,  ,  ,  0",
                                               "indicatori_vmax,  60950,  70,  75,  80,  0,  ,  ,  ,  0",
                                               "indicatori_vmax,  64200,  140,  160,  180,  0,  ,  ,  ,  0",
                                               "indicatori_vmax,  85850,  100,  110,  120,  2,  ,  ,  ,  0",
                                               "indicatori_vmax,  86450,  100,  110,  120,  1,  ,  ,  ,  0",
                                               "indicatori_vmax,  87050,  100,  110,  120,  0,  ,  ,  ,  0"};

// Each parenthesised group is one line of the board; blanks inside a group
// are part of the board text.
struct Sign {
  int position;
  const char* text;
};
const Sign kSigns[] = {
    {30150, "(Galleria   )(Colle Ferro)"},
    {35900, "(Galleria    )(Costalta    )"},
    {41700, "(Galleria)(Monte Sorbo)"},
    {45650, "(Galleria   )(dei Cerri  )(9200 mt.   )"},
    {47150, "(Valscura)"},
    {56800, "(GALLERIA  )(DEL MONTE )(SERRANO   )"},
    {64000, "(GALLERIA  )(CERVARIA  )"},
    {70900, "(Galleria    )(Pieve Alta  )(8067 mt.    )"},
    {80800, "(Galleria  )(Selvanera )(6934 mt.  )"},
    {88150, "(Galleria)(Montelba)"},
};

// The station fields between the position and the name.
const char* const kStationTails[kStationCount] = {
    ",  2,  900,  0, 1, 0,  1,1,0,  4,1,1,    1,  14,13, 0", ", 12,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0",
    ", 28,  400,  0, 0, 0,  0,0,0,  0,0,0,  120,   0, 0, 0", ", 22,  600,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0",
    ", 12,  700,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0", ", 22,  500,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0",
    ", 12,  600,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0", ", 22,  500,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0",
    ", 12,  600,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0", ", 26,  500,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0",
    ",  4,  700,  1, 1, 0,  4,1,1,  2,1,1,   40,  14,43, 0", ", 24,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0",
    ", 12,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0", ",  2,  700,  1, 1, 0,  2,1,0,  2,1,1,    0,  15, 9, 0"};
const int kStationPositions[kStationCount] = {0,     4500,  9050,  11950, 18350, 22150, 28200,
                                              34900, 39650, 47500, 62600, 70250, 79650, 89800};

// Signals share one of seven tails; each group lists its positions.
struct SignalGroup {
  const char* tail;
  std::vector<int> positions;
};
const SignalGroup kSignalGroups[] = {
    {",   1, 4, 1,  0, 0,    1,  3,1,0, 0", {2800, 7000, 10400, 16850, 19900, 26650, 33050, 37800, 67600, 77000}},
    {",   2, 4, 1,  0, 0,    2,  2,1,0, 0", {4000, 11500, 17800, 21100, 27750, 34250, 39000, 68800}},
    {",   2, 3, 1,  0, 0,    2,  2,1,0, 0", {8200, 78800}},
    {",   2, 4, 0,  0, 0,    2,  2,0,0, 215", {9200}},
    {",   2, 4, 0,  0, 0,    2,  2,0,0, 0",
     {12650, 14250, 15650, 24100, 25450, 31300, 36400, 43600, 46800, 51850, 73300, 83500, 85800}},
    {",   1, 5, 6,  0, 0,    1,  3,1,0, 0", {60600, 87400}},
    {",   2, 2, 3,  0, 0,    2,  2,1,0, 0", {61800, 88600}},
};

// Positions of stations and signals stand right-aligned in 8 characters.
std::string position_field(int position) { return right_aligned(std::to_string(position), 8); }

std::vector<std::string> station_lines() {
  std::vector<std::string> lines;
  for (int i = 0; i < kStationCount; ++i) {
    lines.push_back("stazione," + position_field(kStationPositions[i]) + kStationTails[i] + ", " +
                    std::string(station_name(i + 1)));
  }
  return lines;
}

// The reader expects signals in ascending order of position, whatever their tail.
std::vector<std::string> signal_lines() {
  std::vector<std::pair<int, const char*>> signals;
  for (const auto& group : kSignalGroups) {
    for (int p : group.positions) signals.emplace_back(p, group.tail);
  }
  std::sort(signals.begin(), signals.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> lines;
  for (const auto& [position, tail] : signals) lines.push_back("segnale," + position_field(position) + tail);
  return lines;
}

void append(std::vector<std::string>& to, const std::vector<std::string>& lines) {
  to.insert(to.end(), lines.begin(), lines.end());
}

}  // namespace

DocumentBuffer line_description_buffer() {
  std::vector<std::string> lines = {"[generale]",
                                    "lunghezza percorso,    89000",
                                    "progressiva chilometrica uno,    1000,    0,    0",
                                    "progressiva chilometrica due,    0,    0,    0",
                                    "progressiva chilometrica tre,    0,    0,    0",
                                    "sfondo uno,    1",
                                    "sfondo due,    60000",
                                    "sfondo tre,    80000",
                                    "ripetizione segnali 9 codici,    1000,    89500",
                                    "[curve]"};
  append(lines, kCurves);
  lines.push_back("[pendenze]");
  append(lines, kGradients);
  lines.push_back("[montagne]");
  append(lines, kMountains);
  lines.push_back("[cartelli]");
  append(lines, kSpeedBoards);
  lines.push_back("[indicazioni]");
  for (const auto& sign : kSigns) {
    lines.push_back("cartello_indicatore,  " + std::to_string(sign.position) + ",   " + sign.text);
  }
  lines.push_back("[fine]");
  return make_document_buffer(lines);
}

DocumentBuffer service_description_buffer() {
  std::vector<std::string> lines = {
      "[generale]", "numero vetture,    12", "percentuale massa frenata,    135", "sabbia,    300",
      // Hours, minutes and seconds separated by blanks alone.
      "orologio,    14              12            0 ", "[aderenze]", "aderenza,       0,    90",
      "aderenza,   34100,    85", "aderenza,   59400,   100", "[vel_limite]", "velocita,       0,    95",
      "velocita,    2000,   150", "velocita,   18350,   180", "velocita,   58500,   140", "velocita,   61600,    80",
      "velocita,   64250,   180", "velocita,   87500,   150", "[stazioni]"};
  append(lines, station_lines());
  lines.push_back("[rallentamenti]");  // no slowdown on this route
  lines.push_back("[segnali]");
  append(lines, signal_lines());
  lines.push_back("[codici]");
  lines.push_back("[fine]");
  return make_document_buffer(lines);
}

void dati_linea(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, line_description_name(model.RouteName), line_description_buffer());
}

void dati_treno(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, service_description_name(model.RouteName, model.TrainCode),
                 service_description_buffer());
}

}  // namespace sb
