// A GIS file through the fit: the fuzzer's bytes as a GeoJSON file (GDAL reads it; the
// copy of its layers, fields and geometries is ours), written out as a GeoPackage. Whatever
// the input, the conversion ends, says why when it writes nothing, and every spatial index
// it fills is one that SQLite's rtreecheck() accepts.
#include <string>

#include "gis/GisFile.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/gis/SqlRows.h"
#include "textio/FolderFiles.h"

namespace {

// True when every R-tree of the GeoPackage passes SQLite's own check.
bool IndexesHold(const std::string& file) {
  for (const std::string& said :
       SqlRowsOfFile(file,
                     "SELECT rtreecheck('rtree_' || table_name || '_' || column_name) "
                     "FROM gpkg_extensions WHERE extension_name = 'gpkg_rtree_index'")) {
    if (said != "ok") return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("wejscie.geojson", data, size);
  const std::string folder = Fuzz().files.WorkingFolder;
  const GisJob job{textio::PathInFolder(folder, "wejscie.geojson"),
                   textio::PathInFolder(folder, "wyjscie.gpkg"), folder};
  const GisFileResult r = ConvertGisFile(job, Fuzz().transformation.Result());
  if (!r.written && r.error.empty()) __builtin_trap();
  if (r.written && !IndexesHold(r.output)) __builtin_trap();
  return 0;
}
