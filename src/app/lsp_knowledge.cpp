#include "app/lsp_knowledge.h"

namespace sb {

namespace {

const std::vector<EntryShape> kLineGeneral = {
    {"lunghezza percorso", {"length_m"}, "route length in metres (at most 1,000,000)"},
    {"progressiva chilometrica uno", {"position", "value", "flag"}, "kilometre marker one"},
    {"progressiva chilometrica due", {"position", "value", "flag"}, "kilometre marker two"},
    {"progressiva chilometrica tre", {"position", "value", "flag"}, "kilometre marker three"},
    {"sfondo uno", {"position"}, "background one from this position"},
    {"sfondo due", {"position"}, "background two from this position"},
    {"sfondo tre", {"position"}, "background three from this position"},
    {"ripetizione segnali 9 codici", {"start", "end"}, "signal-code repetition (multiples of 50)"},
};

std::vector<EntryShape> curves() {
  static const char* const names[] = {"curvas1", "curvas2", "curvas3", "curvas4", "curvas5", "curvas6",
                                      "curvad1", "curvad2", "curvad3", "curvad4", "curvad5", "curvad6"};
  std::vector<EntryShape> out;
  for (const char* n : names) out.push_back({n, {"start", "length"}, "curve: class digit 1..6, s or d for the side"});
  return out;
}

const std::vector<EntryShape> kGradients = {{"pendenza", {"position", "gradient"}, "gradient from this position"}};
const std::vector<EntryShape> kMountains = {
    {"montagna", {"inizio", "fine", "tipo"}, "mountain stretch (tipo > 10: with tunnel)"}};
const std::vector<EntryShape> kBoards = {
    {"indicatori_vmax",
     {"posizione", "vas", "vbs", "vcs", "strisces", "vad", "vbd", "vcd", "strisced"},
     "speed-limit boards on both sides"}};
const std::vector<EntryShape> kInformation = {{"cartello_indicatore", {"position", "(text)"}, "information board"}};

const std::vector<EntryShape> kServiceGeneral = {
    {"numero vetture", {"count"}, "number of cars"},
    {"percentuale massa frenata", {"percentage"}, "braked-mass percentage"},
    {"sabbia", {"supply"}, "sand supply"},
    {"orologio", {"hours", "minutes", "seconds"}, "clock at the start"},
};
const std::vector<EntryShape> kAdhesion = {{"aderenza", {"position", "adhesion"}, "adhesion from this position"}};
const std::vector<EntryShape> kSpeeds = {{"velocita", {"position", "speed_kmh"}, "speed limit from this position"}};
const std::vector<EntryShape> kStations = {
    {"stazione",
     {"position", "kind", "length", "flag1", "flag2", "flag3", "set1a", "set1b", "set1c", "set2a", "set2b", "set2c",
      "extra", "hours", "minutes", "seconds", "NAME"},
     "station"}};
const std::vector<EntryShape> kSlowdowns = {
    {"rallentamento", {"x", "v", "l", "f_tt", "f_ta", "d_v"}, "slowdown from x for l metres at v km/h"}};
const std::vector<EntryShape> kSignals = {
    {"segnale", {"posizione", "sx", "s1", "s2", "s3", "rapp", "dx", "d1", "d2", "d3", "tempo"}, "signal"}};
const std::vector<EntryShape> kCodes = {{"abbattimento", {"position", "value"}, "abbattimento entry"}};

template <typename... Lists>
std::vector<EntryShape> join(const Lists&... lists) {
  std::vector<EntryShape> out;
  (out.insert(out.end(), lists.begin(), lists.end()), ...);
  return out;
}

}  // namespace

const std::vector<std::string_view>& section_names(DescriptionKind kind) {
  static const std::vector<std::string_view> line = {"[generale]", "[curve]",       "[pendenze]", "[montagne]",
                                                     "[cartelli]", "[indicazioni]", "[fine]"};
  static const std::vector<std::string_view> service = {"[generale]",      "[aderenze]", "[vel_limite]", "[stazioni]",
                                                        "[rallentamenti]", "[segnali]",  "[codici]",     "[fine]"};
  return kind == DescriptionKind::Service ? service : line;
}

std::vector<EntryShape> entries_of(DescriptionKind kind, std::string_view section) {
  if (kind == DescriptionKind::Service) {
    if (section == "[generale]") return kServiceGeneral;
    if (section == "[aderenze]") return kAdhesion;
    if (section == "[vel_limite]") return kSpeeds;
    if (section == "[stazioni]") return kStations;
    if (section == "[rallentamenti]") return kSlowdowns;
    if (section == "[segnali]") return kSignals;
    if (section == "[codici]") return kCodes;
    return join(kServiceGeneral, kAdhesion, kSpeeds, kStations, kSlowdowns, kSignals, kCodes);
  }
  if (section == "[generale]" || section.empty()) return kLineGeneral;
  if (section == "[curve]") return curves();
  if (section == "[pendenze]") return kGradients;
  if (section == "[montagne]") return kMountains;
  if (section == "[cartelli]") return kBoards;
  if (section == "[indicazioni]") return kInformation;
  return join(curves(), kGradients, kMountains, kBoards, kInformation);
}

std::string entry_snippet(const EntryShape& shape) {
  std::string s(shape.keyword);
  int n = 1;
  for (std::string_view f : shape.fields) s += ",  ${" + std::to_string(n++) + ":" + std::string(f) + "}";
  return s;
}

}  // namespace sb
