// A GeoPackage layer's spatial index filled once, after its features: GDAL makes the index
// on the empty table (the R-tree table, its triggers and its gpkg_extensions row, all as GDAL
// makes them), the triggers are set aside while the features go in, and once GDAL has
// closed the file the R-tree gets a tree packed from every feature's envelope and its
// triggers back, all in one transaction. Kept by its triggers feature by feature, SQLite's
// R-tree costs many times the writing of the features themselves.
#pragma once

#include <string>
#include <vector>

#include "gis/PackedRtree.h"

class GDALDataset;
class OGRLayer;

struct DeferredSpatialIndex {
  std::string rtree;                     // rtree_<table>_<geometry column>
  std::vector<std::string> triggers;     // the SQL that makes each of its triggers again
  std::vector<FeatureEnvelope> entries;  // one per feature with a non-empty geometry
};

// On an open GeoPackage, after the layer's fields and before its first feature: makes the
// index and drops its triggers, keeping what makes them again. False with `error` set when
// GDAL could not.
bool DeferSpatialIndex(GDALDataset& gpkg, OGRLayer& layer, DeferredSpatialIndex& index,
                       std::string& error);

// On the closed GeoPackage `file` (UTF-8): packs and writes every index, and makes its
// triggers again, in one transaction; nothing changes when it fails.
bool FillSpatialIndexes(const std::string& file, std::vector<DeferredSpatialIndex>& indexes,
                        std::string& error);
