#include "author/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "author/label_layout.h"
#include "decode/cell_description.h"
#include "decode/header_values.h"
#include "decode/plan_summary.h"
#include "documents/cp1252.h"

namespace sb {

namespace {

constexpr double kWidth = 1200;
constexpr double kLeft = 80;
constexpr double kRight = 40;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kPlanTop = 60;
constexpr double kPlanHeight = 560;
constexpr double kStripHeight = 130;
constexpr double kStripGap = 30;
constexpr int kMarkerRows = 6;
constexpr double kRowHeight = 22;
// Beyond this many signals their labels would cover the picture.
constexpr std::size_t kMaxSignalLabels = 150;

std::string num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

// A tick label: no trailing zeros ("5", "0.2").
std::string label(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string escaped(const std::string& cp1252) {
  std::string out;
  for (char c : cp1252_to_utf8(cp1252)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // Control characters are not allowed in XML 1.0.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
          out += ' ';
        else
          out += c;
    }
  }
  return out;
}

void text(std::ostream& o, double x, double y, const std::string& s, const char* extra = "") {
  o << "<text x=\"" << num(x) << "\" y=\"" << num(y) << "\"" << extra << ">" << s << "</text>\n";
}

// A tick step of 1, 2 or 5 times a power of ten giving at most `max_ticks`.
double nice_step(double span, int max_ticks) {
  const double raw = std::max(span / max_ticks, 1e-9);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    if (f * power >= raw) return f * power;
  }
  return 10 * power;
}

struct Axis {
  double from, to;     // values
  double top, height;  // pixels; `from` at the bottom
  double y(double v) const { return top + height - (v - from) / (to - from) * height; }
};

struct Distance {
  double length;  // metres drawn
  double x(double metre) const { return kLeft + metre / length * kPlotWidth; }
};

// --- plan ------------------------------------------------------------------

struct PlanView {
  double scale, x0, y0;  // pixels per metre; plan point (x0, y0) at the panel's centre
  double px(double x) const { return kLeft + kPlotWidth / 2 + (x - x0) * scale; }
  double py(double y) const { return kPlanTop + kPlanHeight / 2 - (y - y0) * scale; }
};

void draw_plan(std::ostream& o, const CompiledScenario& s) {
  o << "<rect x=\"" << num(kLeft) << "\" y=\"" << num(kPlanTop) << "\" width=\"" << num(kPlotWidth) << "\" height=\""
    << num(kPlanHeight) << "\" class=\"panel\"/>\n";
  text(o, kLeft, kPlanTop - 8, "plan of the track (equal scales)", " class=\"title\"");
  if (!s.plan) {
    text(o, kLeft + 20, kPlanTop + 30, "no profile file: the plan is not drawn");
    return;
  }
  const PlanTable& plan = *s.plan;
  const PlanSummary sum = summarise_plan(plan);
  if (sum.points == 0) {
    text(o, kLeft + 20, kPlanTop + 30, "the profile file holds no point");
    return;
  }
  const double margin = 30;
  const double dx = std::max(sum.max_x - sum.min_x, 1.0);
  const double dy = std::max(sum.max_y - sum.min_y, 1.0);
  const PlanView v{std::min((kPlotWidth - 2 * margin) / dx, (kPlanHeight - 2 * margin) / dy),
                   (sum.min_x + sum.max_x) / 2, (sum.min_y + sum.max_y) / 2};

  // Labels keep clear of the panel's edge, the track, the marks and each
  // other; stations first (each may move out on a leader line), then the
  // kilometres and the signals, which are left out where there is no room.
  LabelLayout labels({kLeft + 2, kPlanTop + 2, kLeft + kPlotWidth - 2, kPlanTop + kPlanHeight - 2});
  for (const auto& piece : thin_plan(plan, kPlanPointsDrawn)) {
    o << "<polyline class=\"track\" points=\"";
    for (const PlanPoint& p : piece) o << num(v.px(p.x)) << ',' << num(v.py(p.y)) << ' ';
    o << "\"/>\n";
    for (std::size_t i = 1; i < piece.size(); ++i) {
      labels.add_segment(v.px(piece[i - 1].x), v.py(piece[i - 1].y), v.px(piece[i].x), v.py(piece[i].y));
    }
  }
  // Scale bar: a round length near a fifth of the panel.
  const double bar = nice_step(kPlotWidth / 5 / v.scale, 1);
  const double bx = kLeft + 10;
  const double by = kPlanTop + kPlanHeight - 12;
  o << "<line class=\"axis\" x1=\"" << num(bx) << "\" y1=\"" << num(by) << "\" x2=\"" << num(bx + bar * v.scale)
    << "\" y2=\"" << num(by) << "\"/>\n";
  text(o, bx, by - 4, bar >= 1000 ? label(bar / 1000) + " km" : label(bar) + " m", " class=\"small\"");
  labels.add_box({bx, by - 16, bx + bar * v.scale, by + 2});

  struct Anchor {
    double x, y;
    std::string text;
  };
  std::vector<Anchor> stations, kms, signals;
  if (s.header) {
    for (const HeaderItem& st : stations_of(s.header->entries, s.header->records)) {
      const auto p = plan_point(plan, st.data->position);
      if (!p) continue;
      const Anchor a{v.px(p->x), v.py(p->y), escaped(st.data->name)};
      o << "<rect class=\"station\" x=\"" << num(a.x - 4) << "\" y=\"" << num(a.y - 4)
        << "\" width=\"8\" height=\"8\"><title>" << a.text << "</title></rect>\n";
      labels.add_box({a.x - 4, a.y - 4, a.x + 4, a.y + 4});
      stations.push_back(a);
    }
  }
  const double km_step = nice_step(static_cast<double>(sum.last_metre) / 1000, 40);
  for (double km = 0; km * 1000 <= static_cast<double>(sum.last_metre); km += km_step) {
    const auto p = plan_point(plan, static_cast<std::int64_t>(std::llround(km * 1000)));
    if (!p) continue;
    const Anchor a{v.px(p->x), v.py(p->y), "km " + label(km)};
    o << "<circle class=\"km\" cx=\"" << num(a.x) << "\" cy=\"" << num(a.y) << "\" r=\"2\"/>\n";
    labels.add_box({a.x - 2, a.y - 2, a.x + 2, a.y + 2});
    kms.push_back(a);
  }
  if (s.track) {
    const auto& cells = *s.track;
    const auto count = static_cast<std::size_t>(
        std::count_if(cells.begin(), cells.end(), [](const TrackCell& c) { return c.kind == 1; }));
    std::size_t n = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (cells[i].kind != 1) continue;
      ++n;
      const auto p = plan_point(plan, object_position(1, i));
      if (!p) continue;
      const Anchor a{v.px(p->x), v.py(p->y), "S" + std::to_string(n)};
      o << "<circle class=\"signal\" cx=\"" << num(a.x) << "\" cy=\"" << num(a.y) << "\" r=\"3\"/>\n";
      labels.add_box({a.x - 3, a.y - 3, a.x + 3, a.y + 3});
      if (count <= kMaxSignalLabels) signals.push_back(a);
    }
  }
  const auto place_all = [&](const std::vector<Anchor>& anchors, double size, double clearance, bool far,
                             const char* cls) {
    for (const Anchor& a : anchors) {
      const auto spot = labels.place(a.x, a.y, text_width(a.text, size), size * 1.2, clearance, far);
      if (!spot) continue;
      const Box& b = spot->box;
      if (spot->leader) {
        const double ex = std::clamp(a.x, b.x0, b.x1), ey = std::clamp(a.y, b.y0, b.y1);
        o << "<line class=\"leader\" x1=\"" << num(a.x) << "\" y1=\"" << num(a.y) << "\" x2=\"" << num(ex) << "\" y2=\""
          << num(ey) << "\"/>\n";
      }
      text(o, b.x0 + 1, b.y1 - size * 0.28, a.text, cls);
    }
  };
  place_all(stations, 11, 4, true, " class=\"label\"");
  place_all(kms, 10, 2, false, " class=\"small\"");
  place_all(signals, 10, 3, false, " class=\"small signal-label\"");
}

// --- profiles ----------------------------------------------------------------

void distance_axis(std::ostream& o, const Distance& d, double top, double height, bool labels) {
  const double step = nice_step(d.length / 1000, 20) * 1000;
  for (double m = 0; m <= d.length; m += step) {
    o << "<line class=\"grid\" x1=\"" << num(d.x(m)) << "\" y1=\"" << num(top) << "\" x2=\"" << num(d.x(m))
      << "\" y2=\"" << num(top + height) << "\"/>\n";
    if (labels) text(o, d.x(m) - 8, top + height + 14, label(m / 1000), " class=\"small\"");
  }
}

void draw_strip(std::ostream& o, const std::vector<TrackCell>& cells, const Distance& d, CellProperty p, double top,
                const char* cls) {
  const auto runs = property_runs(cells, p);
  double lo = 0, hi = 0;
  for (const PropertyRun& r : runs) {
    lo = std::min(lo, static_cast<double>(r.value));
    hi = std::max(hi, static_cast<double>(r.value));
  }
  const double step = nice_step(std::max(hi - lo, 1.0), 4);
  const Axis a{std::floor(lo / step) * step, std::max(std::ceil(hi / step) * step, std::floor(lo / step) * step + step),
               top, kStripHeight};
  o << "<rect x=\"" << num(kLeft) << "\" y=\"" << num(top) << "\" width=\"" << num(kPlotWidth) << "\" height=\""
    << num(kStripHeight) << "\" class=\"panel\"/>\n";
  distance_axis(o, d, top, kStripHeight, false);
  for (double v = a.from; v <= a.to + step / 2; v += step) {
    o << "<line class=\"grid\" x1=\"" << num(kLeft) << "\" y1=\"" << num(a.y(v)) << "\" x2=\""
      << num(kLeft + kPlotWidth) << "\" y2=\"" << num(a.y(v)) << "\"/>\n";
    text(o, kLeft - 40, a.y(v) + 4, label(v), " class=\"small\"");
  }
  text(o, kLeft, top - 6, std::string(property_name(p)) + property_unit(p), " class=\"title\"");
  o << "<polyline class=\"" << cls << "\" points=\"";
  for (const PropertyRun& r : runs) {
    o << num(d.x(static_cast<double>(r.from_metre()))) << ',' << num(a.y(static_cast<double>(r.value))) << ' '
      << num(d.x(static_cast<double>(r.to_metre()))) << ',' << num(a.y(static_cast<double>(r.value))) << ' ';
  }
  o << "\"/>\n";
}

// Which marker row a cell kind goes to, and its class; -1 for none.
int marker_row(std::uint8_t kind) {
  switch (kind) {
    case 10: return 0;
    case 1: return 1;
    case 2:
    case 3:
    case 4:
    case 5: return 2;
    case 11: return 3;
    case 6:
    case 14: return 4;
    case 12:
    case 13: return 5;
    default: return -1;
  }
}

void draw_markers(std::ostream& o, const CompiledScenario& s, const Distance& d, double top) {
  static const char* const names[kMarkerRows] = {"stations", "signals", "slowdowns", "tunnels", "boards", "markers"};
  static const char* const classes[kMarkerRows] = {"station", "signal", "slowdown", "tunnel", "board", "marker"};
  o << "<rect x=\"" << num(kLeft) << "\" y=\"" << num(top) << "\" width=\"" << num(kPlotWidth) << "\" height=\""
    << num(kMarkerRows * kRowHeight) << "\" class=\"panel\"/>\n";
  distance_axis(o, d, top, kMarkerRows * kRowHeight, true);
  text(o, kLeft + kPlotWidth - 120, top + kMarkerRows * kRowHeight + 28, "distance (km)", " class=\"small\"");
  for (int r = 0; r < kMarkerRows; ++r) text(o, 8, top + r * kRowHeight + 15, names[r], " class=\"small\"");
  if (s.header) {
    for (const HeaderItem& st : stations_of(s.header->entries, s.header->records)) {
      const double x0 = d.x(std::max(0.0, static_cast<double>(st.data->areaStart)));
      const double x1 = d.x(std::min(d.length, static_cast<double>(st.data->areaEnd)));
      o << "<rect class=\"station-area\" x=\"" << num(x0) << "\" y=\"" << num(top + 3) << "\" width=\""
        << num(std::max(1.0, x1 - x0)) << "\" height=\"" << num(kRowHeight - 6) << "\"><title>"
        << escaped(st.data->name) << "</title></rect>\n";
    }
  }
  const auto& cells = *s.track;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const int row = marker_row(cells[i].kind);
    if (row < 0) continue;
    const double x = d.x(static_cast<double>(object_position(cells[i].kind, i)));
    o << "<line class=\"" << classes[row] << "\" x1=\"" << num(x) << "\" y1=\"" << num(top + row * kRowHeight + 3)
      << "\" x2=\"" << num(x) << "\" y2=\"" << num(top + (row + 1) * kRowHeight - 3) << "\"/>\n";
  }
}

const char* kStyle =
    "<style>\n"
    "text { font-family: sans-serif; font-size: 12px; fill: #222; }\n"
    ".title { font-size: 14px; font-weight: bold; }\n"
    ".small { font-size: 10px; }\n"
    ".label { font-size: 11px; fill: #0a3d7a; }\n"
    ".signal-label { fill: #b00; }\n"
    ".leader { stroke: #0a3d7a; stroke-width: 0.6; }\n"
    ".panel { fill: #fbfbf8; stroke: #999; }\n"
    ".grid { stroke: #ddd; stroke-width: 1; }\n"
    ".axis { stroke: #222; stroke-width: 2; }\n"
    ".track { fill: none; stroke: #333; stroke-width: 1.5; }\n"
    ".km { fill: #555; }\n"
    "rect.station { fill: #0a3d7a; }\n"
    "circle.signal { fill: #d22; }\n"
    ".speed { fill: none; stroke: #1f5fbf; stroke-width: 1.5; }\n"
    ".gradient { fill: none; stroke: #8a5a14; stroke-width: 1.5; }\n"
    ".adhesion { fill: none; stroke: #2a8a2a; stroke-width: 1.5; }\n"
    ".station-area { fill: #9db8e0; stroke: #0a3d7a; }\n"
    "line.station { stroke: #0a3d7a; stroke-width: 2; }\n"
    "line.signal { stroke: #d22; stroke-width: 1.5; }\n"
    "line.slowdown { stroke: #e08000; stroke-width: 1.5; }\n"
    "line.tunnel { stroke: #666; stroke-width: 1; }\n"
    "line.board { stroke: #1f5fbf; stroke-width: 1; }\n"
    "line.marker { stroke: #7a2a9a; stroke-width: 1; }\n"
    "</style>\n";

}  // namespace

std::string scenario_svg(const CompiledScenario& s) {
  const double strips_top = kPlanTop + kPlanHeight + 60;
  const double markers_top = strips_top + 3 * (kStripHeight + kStripGap);
  const double height = markers_top + kMarkerRows * kRowHeight + 50;
  std::ostringstream o;
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(kWidth) << "\" height=\"" << num(height)
    << "\" viewBox=\"0 0 " << num(kWidth) << ' ' << num(height) << "\">\n"
    << kStyle << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  std::string title = "compiled scenario";
  if (s.header && s.header->complete()) {
    const ScenarioValues v = scenario_values(s.header->entries);
    title = escaped(v.route_name) + " / " + escaped(v.train_code) + ", route length " + std::to_string(v.route_length) +
            " m";
  }
  text(o, kLeft, 28, title, " class=\"title\" style=\"font-size: 18px\"");
  draw_plan(o, s);
  if (s.track && !s.track->empty()) {
    // The last three cells never carry speed, gradient or adhesion: left out,
    // they would pull every scale down to 0 (gradient -100).
    const std::vector<TrackCell> filled(
        s.track->begin(),
        s.track->end() - std::min<std::ptrdiff_t>(3, static_cast<std::ptrdiff_t>(s.track->size()) - 1));
    const Distance d{static_cast<double>(s.track->size()) * 50};
    draw_strip(o, filled, d, CellProperty::SpeedLimit, strips_top, "speed");
    draw_strip(o, filled, d, CellProperty::Gradient, strips_top + kStripHeight + kStripGap, "gradient");
    draw_strip(o, filled, d, CellProperty::Adhesion, strips_top + 2 * (kStripHeight + kStripGap), "adhesion");
    draw_markers(o, s, d, markers_top);
  }
  o << "</svg>\n";
  return o.str();
}

}  // namespace sb
