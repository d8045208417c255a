#include "documents/driver_documents.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "documents/scenario_stations.h"
#include "model/file_names.h"

namespace sb {

namespace {

// ---- slowdown order ------------------------------------------------------

const std::string kOrderRule = " |___|____________________________|____________|__________|_________|____________|";
const std::string kOrderBlankRow = " |   |                            |            |          |         |            |";

// ---- timetable card ------------------------------------------------------

const std::string kCardRule = " |_____|_____|__________|_____|____________________________|________________|_____|";
const std::string kCardBlankRow = " |     |     |          |     |                            |                |     |";

// One service row of the card; an empty string is an empty field.
struct CardRow {
  std::string_view limit;     // speed limit, km/h
  std::string_view marching;  // marching speed, km/h
  std::string_view km_point;  // kilometres "+" metres
  std::string_view location;
  std::string_view time;      // hours "." minutes; a stop shows arrival and departure
  std::string_view recovery;  // minutes
};

const CardRow kCardRows[] = {
    {"95", "80", "0+00", station_name(1), "14.09", ""},        {"150", "90", "2+00", "Cippo Km", "14.11", ""},
    {"", "120", "4+490", station_name(2), "14.14", ""},        {"", "140", "9+050", station_name(3), "14.16", "0.5"},
    {"", "", "11+970", station_name(4), "14.18", ""},          {"", "150", "18+340", station_name(5), "14.22", "0.5"},
    {"180", "", "18+700", "Cartello Indicatore", "", ""},      {"", "", "22+140", station_name(6), "14.24", "1"},
    {"", "", "28+190", station_name(7), "14.26", ""},          {"", "", "34+890", station_name(8), "14.29", "1"},
    {"", "", "39+660", station_name(9), "14.30", ""},          {"", "", "47+500", station_name(10), "14.34", "1"},
    {"140", "130", "58+000", "Cippo Km", "14.37", ""},         {"80", "75", "60+932", "Sbocco galleria", "14.40", ""},
    {"", "", "62+570", station_name(11), "14.42 - 14.44", ""}, {"180", "60", "64+208", "Imbocco Galleria", "14.46", ""},
    {"", "110", "69+980", station_name(12), "14.52", "1"},     {"", "130", "79+240", station_name(13), "14.56", "1"},
    {"120", "100", "87+000", "Cippo Km", "15.02", "1"},        {"", "60", "88+790", station_name(14), "15.08", "1"},
};

// A field of exactly `width` characters; a value that does not fit is a
// fault in the table above, never to be cut silently.
std::string field(const std::string& text, std::size_t width) {
  if (text.size() > width) throw std::length_error("card field too wide: \"" + text + "\"");
  return text;
}

// Kilometre points align on the "+": kilometres right-aligned in three.
std::string km_field(std::string_view km_point) {
  const auto plus = km_point.find('+');
  std::string text(km_point);
  if (plus != std::string_view::npos) {
    text = right_aligned(std::string(km_point.substr(0, plus)), 3) + std::string(km_point.substr(plus));
  }
  return field(left_aligned(text, 10), 10);
}

// Speeds and recovery stand after one blank.
std::string after_blank(std::string_view value, std::size_t width) {
  return field(left_aligned(" " + std::string(value), width), width);
}

// " |" then seven fields of widths 5, 5, 10, 5, 28, 16, 5, each closed by
// "|". The location stands after two blanks; the time is right-aligned two
// blanks before the field's end, so departures line up on a stop's row too.
std::string card_row(const CardRow& r) {
  std::string row = " |";
  row += after_blank(r.limit, 5) + "|";
  row += after_blank(r.marching, 5) + "|";
  row += km_field(r.km_point) + "|";
  row += std::string(5, ' ') + "|";
  row += field(left_aligned("  " + std::string(r.location), 28), 28) + "|";
  row += field(right_aligned(std::string(r.time), 14) + "  ", 16) + "|";
  row += after_blank(r.recovery, 5) + "|";
  return row;
}

}  // namespace

DocumentBuffer notes_buffer() {
  return make_document_buffer({
      "La linea Orsea - Montelba fu aperta all'esercizio nel 1931, dopo quasi quindici anni di lavori, e "
      "ridusse di oltre un'ora il viaggio tra la pianura e l'alta valle.",
      "Il tracciato è veloce: tolte le curve all'uscita di Orsea, il raggio minimo è di 500 metri e le "
      "velocità di linea arrivano a 180 km/h, con tratti a 140 e 150 km/h e un solo punto lento, a 80 km/h, "
      "nel tratto di Cervaria.",
      "Nella seconda metà del percorso la linea entra nella montagna con una serie di gallerie: le tre più "
      "lunghe misurano 9200, 8067 e 6934 metri e sono dotate di illuminazione, nicchie di ricovero e "
      "ripetizione dei segnali in cabina, presente del resto su tutta la linea.",
      "Il treno RX17 è composto da 12 vetture, con una massa frenata di 630 tonnellate pari al 135 per cento, "
      "e viaggia con la stessa locomotiva da Orsea a Montelba.",
      "Sulle salite più ripide, fino al 19 per mille dopo Cervaria, la locomotiva fatica a mantenere la "
      "velocità di marcia: conviene sfruttare bene l'aderenza e usare la sabbia con giudizio, perché",
      "uno slittamento in galleria costa minuti preziosi e rende difficile recuperare il ritardo.",
      "Il percorso riprodotto segue da vicino quello reale per pendenze, curve, stazioni e segnali; le "
      "semplificazioni riguardano soprattutto il paesaggio e gli edifici.",
      "Buon divertimento.",
      "Per segnalazioni e suggerimenti: autore.scenari@example.org",
  });
}

DocumentBuffer slowdown_order_buffer() {
  std::vector<std::string> lines = {
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
  lines.insert(lines.end(), 24, kOrderBlankRow);
  lines.insert(lines.end(), {
                                kOrderRule,
                                "",
                                "              Prescrizioni specifiche",
                                " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
                                " B - Interessa anche la stazione di.......",
                                // The order's printed form spells it so; kept as the driver knows it.
                                " D - Rallentamneto N. ... e N. ...  sono contigui",
                                " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
                                "     i giorni esclusi i seguenti:.........",
                            });
  return make_document_buffer(lines);
}

DocumentBuffer timetable_card_buffer() {
  std::vector<std::string> lines = {
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
  for (const auto& row : kCardRows) lines.push_back(card_row(row));
  lines.insert(lines.end(), 12, kCardBlankRow);
  lines.push_back(kCardRule);
  lines.push_back("");
  return make_document_buffer(lines);
}

void dati_note(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, notes_name(model.RouteName, model.TrainCode), notes_buffer());
}
void dati_rallentamenti(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, slowdown_order_name(model.RouteName, model.TrainCode), slowdown_order_buffer());
}
void dati_scheda(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, timetable_card_name(model.RouteName, model.TrainCode), timetable_card_buffer());
}

}  // namespace sb
