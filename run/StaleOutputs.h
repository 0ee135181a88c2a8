// The optional outputs in a working folder that were made from another fit than a run's:
// Mapa.gpkg (its metadata names its fit), Raport.pdf (its XMP metadata does) and the GIS
// files' protocols with the files they name (their header does). Left alone, but named, so that no
// file describing an older fit passes for this run's. A file that records no fit (made before fits
// were recorded) counts as another fit's.
#pragma once

#include <string>
#include <vector>

#include "convert/RunResult.h"

// The paths, Mapa.gpkg first, then Raport.pdf, then each GIS protocol in name order followed by the
// output it names; empty when `run` has no usable fit to compare with. Mapa.gpkg is looked at
// through the GeoPackage plugin, and not at all when this build has none.
std::vector<std::string> StaleOutputs(const RunResult& run);

// The fit a text protocol records (its "Dopasowanie:" line, UTF-8), and the output file it
// names (its "Plik wynikowy:" line); empty when it records none.
struct ProtocolRecord {
  std::string stamp, output;
};
ProtocolRecord ReadProtocolRecord(const std::string& path);
