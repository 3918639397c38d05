// Conversions between the user's length units and 1/300 inch.
#include "length_units.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace zorvik::host {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kUnitsPerInch = 300.0;
constexpr double kLongestLength300ths = 1e9;

double UnitsPer300th(LengthUnit unit) {
  return unit == LengthUnit::kInch ? 1.0 / kUnitsPerInch : kMillimetresPerInch / kUnitsPerInch;
}

}  // namespace

uint32_t To300ths(double length, LengthUnit unit) {
  const double units = std::clamp(length / UnitsPer300th(unit), 0.0, kLongestLength300ths);
  return static_cast<uint32_t>(std::llround(units));
}

double From300ths(uint64_t length300ths, LengthUnit unit) {
  return static_cast<double>(length300ths) * UnitsPer300th(unit);
}

std::wstring DecimalText(double value) {
  wchar_t text[64];
  swprintf(text, 64, L"%.2f", value);
  std::wstring shown = text;
  while (shown.back() == L'0') shown.pop_back();
  if (shown.back() == L'.') shown.pop_back();
  return shown;
}

}  // namespace zorvik::host
