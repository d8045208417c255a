#include "reading/line_reading.h"

#include "model/numeric.h"

namespace sb {

LineReading::LineReading(ReadingContext& ctx, std::string name)
    : context(ctx),
      model(ctx.model),
      name_(std::move(name)),
      reader_(std::make_unique<FieldReader>(ctx.inputs.open_input(name_), ctx.inputs.path_of(name_))) {
  reader_->mirror_place_to(&model.diagnostics.last_field);
}

std::string LineReading::read_text() {
  model.InputField = reader_->read_text();
  return model.InputField;
}

std::string LineReading::read_keyword_field() {
  std::string field = read_text();
  model.diagnostics.place = reader_->place();
  return field;
}

std::int32_t LineReading::read_reported_int() {
  const std::int32_t v = reader_->read_int();
  model.diagnostics.place = reader_->place();
  return v;
}

void LineReading::close_and_delete() {
  // The file is closed before it is deleted: an open file cannot be deleted everywhere.
  reader_.reset();
  context.inputs.remove(name_);
}

Step LineReading::stop_with(int code) {
  close_and_delete();
  record_error(model, code);
  return Step::Stop;
}

bool on_track(const ScenarioModel& model, std::int32_t p) {
  return (static_cast<double>(p) + 100.0) / 50.0 <= static_cast<double>(model.track_upper());
}

void fill_gradient(LineReading& r, std::int32_t up_to) {
  do {
    r.model.cell(r.gradientCell).gradient = low8(static_cast<std::int64_t>(r.lastGradient) + 100);
    ++r.gradientCell;
  } while (r.gradientCell < up_to);
}

}  // namespace sb
