#include "compile/check_codes.h"

namespace sb {

namespace {

constexpr const char* kFiller = "aabbccddeeffgghhiillmmnnoo";

// Lower case in cp1252: ASCII letters, the Latin-1 capitals and the four
// capitals cp1252 keeps in 0x80 .. 0x9F.
char lower_cp1252(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char>(c + 32);
  switch (c) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return ch;
  }
}

// The character code as a signed 16-bit value of the single-byte code page.
int code_of(char c) { return static_cast<unsigned char>(c); }

}  // namespace

std::string check_code_text(const std::string& train_name, const std::string& route_name) {
  std::string text = train_name + route_name;
  for (char& c : text) c = lower_cp1252(c);
  return text + kFiller;
}

std::int16_t codice_gara_og(ScenarioModel& model) {
  model.InputField = check_code_text(model.ScenarioHeader[86].name, model.ScenarioHeader[85].name);
  std::int32_t sum = 0;
  for (int i = 0; i < 25; ++i) sum += code_of(model.InputField[static_cast<std::size_t>(i)]);
  return static_cast<std::int16_t>(sum);  // at most 25 × 255: always fits
}

std::int32_t codice_gara_st(ScenarioModel& model) {
  model.InputField = check_code_text(model.ScenarioHeader[86].name, model.ScenarioHeader[85].name);
  std::int32_t sum = 0;
  for (int i = 1; i <= 25; ++i) sum += i * code_of(model.InputField[static_cast<std::size_t>(i - 1)]);
  return sum;
}

}  // namespace sb
