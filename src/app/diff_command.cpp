#include "app/diff_command.h"

#include "app/compiled_input.h"
#include "app/exit_status.h"
#include "author/diff.h"

namespace sb {

namespace {

constexpr const char* kCommand = "scenario-builder diff: ";

DiffSide side_of(const LoadedScenario& s) {
  DiffSide d;
  d.entries = &s.decoded.header->entries;
  d.records = s.decoded.header->records;
  d.cells = &*s.decoded.track;
  d.plan = s.decoded.plan ? &*s.decoded.plan : nullptr;
  d.has_profile = s.bytes.has_profile;
  if (s.open_profile) {
    d.open_profile = s.open_profile;
  } else if (s.bytes.has_profile) {
    const std::string* bytes = &s.bytes.profile;
    d.open_profile = [bytes] { return std::unique_ptr<ByteStream>(std::make_unique<ViewStream>(*bytes)); };
  }
  return d;
}

}  // namespace

int run_diff(const std::string& a, const std::string& b, bool json, std::ostream& out, std::ostream& err) {
  try {
    // Well-formed plans are walked straight from their bytes, not decoded.
    const LoadedScenario x = load_scenario_streamed({a});
    const LoadedScenario y = load_scenario_streamed({b});
    for (const LoadedScenario* s : {&x, &y}) {
      if (!s->decoded.header || !s->decoded.track || !s->decoded.valid()) {
        print_findings(s->decoded, err);
        err << kCommand << (s == &x ? a : b) << ": the files are not valid\n";
        return kExitFailure;
      }
    }
    const std::vector<Change> changes = diff_scenarios(side_of(x), side_of(y));
    if (json) {
      out << changes_json(changes).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else {
      print_changes(changes, out);
    }
    return changes.empty() ? kExitOk : kExitRecordedError;
  } catch (const LocationError& e) {
    err << kCommand << e.what() << '\n';
  } catch (const FileError& e) {
    err << kCommand << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    err << kCommand << "out of memory\n";
  }
  return kExitFailure;
}

}  // namespace sb
