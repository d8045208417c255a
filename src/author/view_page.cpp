#include "author/view_page.h"

#include <cmath>

#include "author/plan_levels.h"
#include "author/scenario_json.h"
#include "author/web_assets.h"

namespace sb {

namespace {

using Json = nlohmann::ordered_json;

double millimetre(double v) { return std::round(v * 1000.0) / 1000.0; }

Json levels_json(const PlanTable& plan) {
  Json levels = Json::array();
  for (const PlanLevel& level : plan_levels(plan)) {
    Json pieces = Json::array();
    for (const auto& piece : level.pieces) {
      Json flat = Json::array();
      for (std::size_t i = 0; i < piece.size(); ++i) {
        const bool end = i == 0 || i + 1 == piece.size();
        flat.push_back(piece[i].metre);
        flat.push_back(end ? piece[i].x : millimetre(piece[i].x));
        flat.push_back(end ? piece[i].y : millimetre(piece[i].y));
      }
      pieces.push_back(std::move(flat));
    }
    levels.push_back({{"tolerance", level.tolerance}, {"pieces", std::move(pieces)}});
  }
  return levels;
}

std::string html_escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// JSON inside a script element: '<' only occurs within strings, where
// \u003c means the same, and no "</script" can end the element early.
std::string script_safe(const std::string& json) {
  std::string out;
  out.reserve(json.size());
  for (char c : json) {
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  }
  return out;
}

// Replaces the first `mark` at or after `from`; `from` moves past the text
// put in, so that text is never searched for a later mark.
void replace_mark(std::string& page, std::size_t& from, std::string_view mark, const std::string& with) {
  const auto at = page.find(mark, from);
  if (at == std::string::npos) return;
  page.replace(at, mark.size(), with);
  from = at + with.size();
}

}  // namespace

Json view_data(const CompiledScenario& s, const std::string& title) {
  // Reserved: an object that regrows copies its members, the scenario too.
  Json data = Json::object();
  data.get_ref<Json::object_t&>().reserve(3);
  data["title"] = title;
  data["scenario"] = scenario_json(s);
  data["plan_levels"] = view_plan_levels(s);
  return data;
}

Json view_plan_levels(const CompiledScenario& s) { return s.plan ? levels_json(*s.plan) : Json::array(); }

std::string view_page(const CompiledScenario& s, const std::string& title) {
  return view_page_of(title, view_scenario_text(s, title), view_levels_text(view_plan_levels(s)));
}

std::string view_scenario_text(const CompiledScenario& s, const std::string& title, const Json* plan_figures) {
  Json data = Json::object();
  data["title"] = title;
  data["scenario"] = scenario_json(s, plan_figures);
  return script_safe(data.dump(-1, ' ', false, Json::error_handler_t::replace));
}

std::string view_levels_text(const Json& plan_levels) {
  return script_safe(plan_levels.dump(-1, ' ', false, Json::error_handler_t::replace));
}

std::string view_page_of(const std::string& title, std::string_view scenario_text, std::string_view levels_text) {
  // {"title":...,"scenario":{...}} gains "plan_levels" as its last key.
  std::string data(scenario_text.substr(0, scenario_text.size() - 1));
  data.reserve(scenario_text.size() + levels_text.size() + 16);
  data += ",\"plan_levels\":";
  data += levels_text;
  data += '}';
  std::string page(view_template());
  // The marks, in the order they stand in the template.
  std::size_t from = 0;
  replace_mark(page, from, "@TITLE@", html_escaped(title));
  replace_mark(page, from, "@STYLE@", std::string(view_style()));
  replace_mark(page, from, "@DATA@", data);
  replace_mark(page, from, "@SCRIPT@", std::string(view_script()));
  return page;
}

}  // namespace sb
