// The "2000" zone a fit belongs to: the one rule of every output that names a reference
// system (Mapa.gpkg, the GIS files of a run).
#pragma once

#include "transform/FittedTransformation.h"

// The EPSG code of the "2000" zone of an easting (m): 2176 to 2179 for leading digits 5 to 8,
// 0 for any other.
int ZoneOfEasting(long double easting);

// The zone of a fit, the one rule of Mapa.gpkg and of every GIS file a run converts: the zone
// of every used adjustment point's secondary easting; 0 when they lie in none, or in several
// (then `mixed`).
int ZoneOfFit(const TFittedTransformation& f, bool& mixed);
