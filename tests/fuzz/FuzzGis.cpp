// A GIS file through the fit: the fuzzer's bytes as a GeoJSON file (GDAL reads it; the
// copy of its layers, fields and geometries is ours), written out as a GeoPackage. Whatever
// the input, the conversion ends, and says why when it writes nothing.
#include "gis/GisFile.h"
#include "tests/fuzz/FuzzSupport.h"
#include "textio/FolderFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("wejscie.geojson", data, size);
  const std::string folder = Fuzz().files.WorkingFolder;
  const GisJob job{textio::PathInFolder(folder, "wejscie.geojson"),
                   textio::PathInFolder(folder, "wyjscie.gpkg"), folder};
  const GisFileResult r = ConvertGisFile(job, Fuzz().transformation.Result());
  if (!r.written && r.error.empty()) __builtin_trap();
  return 0;
}
