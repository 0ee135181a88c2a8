#include "transform/FitZone.h"

#include <set>

int ZoneOfEasting(long double easting) {
  if (!(easting >= 5e6 && easting < 9e6)) return 0;
  return 2176 + static_cast<int>(easting / 1e6) - 5;
}

int ZoneOfFit(const TFittedTransformation& f, bool& mixed) {
  std::set<int> zones;
  for (std::int32_t k = 1; k <= f.ls; ++k)
    zones.insert(ZoneOfEasting(f.model.y2(k)));
  mixed = zones.size() > 1;
  return zones.size() == 1 ? *zones.begin() : 0;
}
