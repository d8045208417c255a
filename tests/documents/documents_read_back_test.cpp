// The embedded descriptions must read back without an error: a comma in a
// name, a position off the track or a misplaced field would otherwise only
// show as a wrong scenario.
#include <gtest/gtest.h>

#include "documents/description_documents.h"
#include "documents/scenario_stations.h"
#include "model/memory_files.h"
#include "reading/memorizza_dati.h"

namespace sb {
namespace {

TEST(EmbeddedDescriptions, ReadBackWithoutErrorAndAreDeleted) {
  for (int profile_wanted : {0, 1}) {
    MemoryFiles files;
    ScenarioModel model;
    model.RouteName = "ORSEA_MONTELBA";
    model.TrainCode = "RX17";
    model.ProfileWanted = profile_wanted;
    dati_linea(model, files);
    dati_treno(model, files);
    memorizza_dati(model, files);
    EXPECT_EQ(model.ErrorCode, 0) << "profile wanted " << profile_wanted;
    EXPECT_TRUE(files.files.empty());
    for (int n = 1; n <= kStationCount; ++n) {
      EXPECT_EQ(model.ScenarioHeader[static_cast<std::size_t>(n)].name, station_name(n)) << "station " << n;
    }
    EXPECT_EQ(model.ScenarioHeader[80].name, "(Galleria   )(Colle Ferro)");
    EXPECT_EQ(model.ScenarioHeader[71].name, "(Galleria)(Montelba)");
  }
}

}  // namespace
}  // namespace sb
