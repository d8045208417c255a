#include "compile/track_completion.h"

#include "compile/check_codes.h"
#include "compile/compiled_files.h"
#include "compile/track_scan.h"
#include "reading/memorizza_dati.h"

namespace sb {

namespace {
constexpr std::int16_t kFixedTrackValue = 5121;
constexpr std::int16_t kFixedHeaderValue = 610;
}  // namespace

void complete_track(ScenarioModel& model) {
  if (!model.track_allocated()) {
    throw NoTrackError("the line description gave no route length: there is no track to complete");
  }
  model.diagnostics.place = SourcePlace{};
  scan_track(model);

  StationEntry& slots = model.ScenarioHeader[85];
  TrackCell& first = model.cell(1);
  if (slots.set1a != 0 || first.value1 != 0) throw FatalError(1250);
  slots.set1a = kFixedHeaderValue;
  first.value1 = kFixedTrackValue;
  if (slots.timeOfDay != 0 || first.value2 != 0) throw FatalError(1251);
  slots.timeOfDay = codice_gara_st(model);
  first.value2 = codice_gara_og(model);
}

void memorizza_percorso(ScenarioModel& model, std::int32_t j, FileDoor& inputs, FileDoor& outputs) {
  model.ProfileWanted = j;
  model.ErrorCode = 0;
  model.reset_header();
  memorizza_dati(model, inputs);
  complete_track(model);
  write_compiled_files(model, outputs);
}

}  // namespace sb
