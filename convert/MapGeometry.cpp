#include "convert/MapGeometry.h"

#include "textio/TextScanner.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool ReadNumbers(textio::TextScanner& in, long double* values, int count) {
  bool ok = true;
  for (int k = 0; k < count; ++k)
    ok = in.Number(values[k]) == textio::TextScanner::Read::Ok && ok;
  return ok;
}

}  // namespace

bool ReadParcelShapes(const std::string& path, std::vector<ParcelShape>& shapes) {
  textio::TextScanner in;
  if (!in.Open(path)) return false;
  while (in.NextLine()) {
    ParcelShape shape;
    if (!ReadParcelHeader(in.Line(), shape.header)) continue;
    const std::size_t dash = shape.header.identifier.find('-');
    if (dash != std::string::npos) shape.number = Trimmed(shape.header.identifier.substr(dash + 1));
    long double record[4];
    in.NextLine();
    ReadNumbers(in, record, 4);
    std::int32_t count = 0;
    in.NextLine();
    if (in.Integer(count) != textio::TextScanner::Read::Ok) count = 0;
    for (std::int32_t i = 0; i < count && in.NextLine(); ++i) {
      in.Take(20);
      long double v[4];
      if (ReadNumbers(in, v, 4)) {
        shape.boundary.emplace_back(v[2], v[3]);
      } else {
        ++shape.unreadable;
      }
    }
    shapes.push_back(std::move(shape));
  }
  return true;
}

bool ReadPointShapes(const std::string& path, std::vector<PointShape>& points, int& unreadable) {
  textio::TextScanner in;
  if (!in.Open(path)) return false;
  while (in.NextLine()) {
    const std::string_view name = in.Take(20);
    if (name.empty() || name == " ") continue;
    PointShape p;
    p.name = Trimmed(name);
    long double v[4];
    if (!ReadNumbers(in, v, 4)) {
      ++unreadable;
      in.Rest();
      continue;
    }
    p.x = v[0], p.y = v[1], p.x2 = v[2], p.y2 = v[3];
    p.rest = in.Rest();
    points.push_back(std::move(p));
  }
  return true;
}
