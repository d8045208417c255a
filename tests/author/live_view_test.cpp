// What `watch --serve` sends of one compile after another: with the plan
// kept from an earlier compile the page must get the very text a whole
// decode gives, and the plan's number must change exactly when its levels do.
#include "author/live_view.h"

#include <gtest/gtest.h>

#include "author/view_page.h"
#include "model/file_names.h"
#include "support/embedded_compile.h"

namespace sb {
namespace {

const CompiledNames kNames{profile_file_name("ORSEA_MONTELBA"), header_file_name("ORSEA_MONTELBA", "RX17"),
                           track_file_name("ORSEA_MONTELBA", "RX17")};

CompiledFileBytes embedded_bytes() {
  testing::EmbeddedCompile c = testing::compile_embedded_scenario();
  EXPECT_EQ(c.error_code, 0);
  auto& files = c.files.files;
  return CompiledFileBytes{files[kNames.profile], files[kNames.header], files[kNames.track]};
}

std::string whole_decode_text(const CompiledNames& names, const CompiledFileBytes& bytes) {
  return view_scenario_text(decode_compiled(names, bytes), "T");
}

// Shows a copy, as the watch does with its reused buffers.
LiveFrame show(LiveView& live, const CompiledNames& names, CompiledFileBytes bytes) {
  const auto frame = live.show(names, bytes, "T");
  EXPECT_TRUE(frame.has_value());
  return frame ? *frame : LiveFrame{};
}

TEST(LiveView, AKeptPlanGivesTheTextOfAWholeDecodeAndTheSameLevels) {
  const CompiledFileBytes bytes = embedded_bytes();
  LiveView live;
  const LiveFrame first = show(live, kNames, bytes);
  EXPECT_EQ(*first.scenario, whole_decode_text(kNames, bytes));
  EXPECT_TRUE(first.valid);

  // A save of the service description: the header changes, the profile does not.
  CompiledFileBytes renamed = bytes;
  const auto at = renamed.header.find("MONTELBA");
  ASSERT_NE(at, std::string::npos);
  renamed.header[at] = 'N';
  const LiveFrame second = show(live, kNames, renamed);
  EXPECT_EQ(*second.scenario, whole_decode_text(kNames, renamed));
  EXPECT_NE(*second.scenario, *first.scenario);
  EXPECT_EQ(second.levels, first.levels);  // the same text, not worked out again
  EXPECT_EQ(second.plan, first.plan);
}

TEST(LiveView, ThePlanNumberChangesExactlyWhenTheLevelsDo) {
  const CompiledFileBytes bytes = embedded_bytes();
  LiveView live;
  const LiveFrame first = show(live, kNames, bytes);

  // A different plan: the first x stored as a double after metre 1000 turns
  // negative (values are a 2-byte tag, then nothing, 2 or 8 bytes for tags 0, 2, 5).
  CompiledFileBytes moved = bytes;
  std::size_t at = 0;
  for (int m = 0; at + 10 <= moved.profile.size(); ++m) {
    const char tag = moved.profile[at];
    if (tag == 5 && m > 1000) break;
    at += 2 + (tag == 5 ? 8 : tag == 2 ? 2 : 0);
  }
  ASSERT_LT(at + 10, moved.profile.size() / 2);
  moved.profile[at + 9] ^= '\x80';
  const LiveFrame second = show(live, kNames, moved);
  EXPECT_NE(second.plan, first.plan);
  EXPECT_NE(*second.levels, *first.levels);
  EXPECT_EQ(*second.scenario, whole_decode_text(kNames, moved));

  // Back to the first plan: new bytes to compare, the same levels again.
  const LiveFrame third = show(live, kNames, bytes);
  EXPECT_NE(third.plan, second.plan);
  EXPECT_EQ(*third.levels, *first.levels);

  // No profile file: no plan, and the note that says so.
  CompiledNames without = kNames;
  without.profile.clear();
  const LiveFrame fourth = show(live, without, bytes);
  EXPECT_NE(fourth.plan, third.plan);
  EXPECT_EQ(*fourth.levels, "[]");
  EXPECT_EQ(*fourth.scenario, whole_decode_text(without, bytes));
  EXPECT_EQ(show(live, without, bytes).plan, fourth.plan);
}

TEST(LiveView, AFaultyProfileKeepsItsFindingsWhenItIsNotDecodedAgain) {
  CompiledFileBytes cut = embedded_bytes();
  cut.profile.resize(cut.profile.size() / 2 + 3);
  LiveView live;
  const LiveFrame first = show(live, kNames, cut);
  const LiveFrame again = show(live, kNames, cut);
  EXPECT_FALSE(again.valid);
  EXPECT_EQ(*again.scenario, *first.scenario);
  EXPECT_EQ(*again.scenario, whole_decode_text(kNames, cut));
  EXPECT_NE(again.scenario->find("\"findings\":[{"), std::string::npos);
}

TEST(LiveView, FilesWithoutATrackShowNothing) {
  CompiledFileBytes bytes = embedded_bytes();
  CompiledNames no_track = kNames;
  no_track.track.clear();
  LiveView live;
  EXPECT_FALSE(live.show(no_track, bytes, "T").has_value());
}

}  // namespace
}  // namespace sb
