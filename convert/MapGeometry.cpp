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

// Calls record(header, numbers, read) for each record of a parcel or contour file, then
// vertex(numbers, read) for each of its vertex lines; false when the file cannot be read.
template <typename Record, typename Vertex>
bool ScanParcels(const std::string& path, Record record, Vertex vertex) {
  textio::TextScanner in;
  if (!in.Open(path)) return false;
  while (in.NextLine()) {
    ParcelHeader header;
    if (!ReadParcelHeader(in.Line(), header)) continue;
    long double numbers[4];
    in.NextLine();
    record(header, numbers, ReadNumbers(in, numbers, 4));
    std::int32_t count = 0;
    in.NextLine();
    if (in.Integer(count) != textio::TextScanner::Read::Ok) count = 0;
    for (std::int32_t i = 0; i < count && in.NextLine(); ++i) {
      in.Take(20);
      long double v[4];
      const bool read = ReadNumbers(in, v, 4);
      vertex(v, read);
    }
  }
  return true;
}

}  // namespace

bool ReadParcelShapes(const std::string& path, std::vector<ParcelShape>& shapes) {
  return ScanParcels(
      path,
      [&](const ParcelHeader& header, const long double*, bool) {
        ParcelShape& shape = shapes.emplace_back();
        shape.header = header;
        const std::size_t dash = header.identifier.find('-');
        if (dash != std::string::npos) shape.number = Trimmed(header.identifier.substr(dash + 1));
      },
      [&](const long double* v, bool read) {
        if (read) {
          shapes.back().boundary.emplace_back(v[2], v[3]);
        } else {
          ++shapes.back().unreadable;
        }
      });
}

bool ReadParcelPositions(const std::string& path,
                         std::vector<std::pair<long double, long double>>& positions) {
  const auto both = [&](const long double* v, bool read) {
    if (!read) return;
    positions.emplace_back(v[0], v[1]);
    positions.emplace_back(v[2], v[3]);
  };
  return ScanParcels(
      path, [&](const ParcelHeader&, const long double* v, bool read) { both(v, read); }, both);
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
