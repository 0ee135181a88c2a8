// GML files as the county's registers exchange them, for the tests and the benchmark: one
// gml:FeatureCollection holding objects of the three registers' namespaces (EGiB parcels
// as multi-surfaces with a hole and wrapped posLists, their boundary points linked by
// xlink:href, labels with katObrotu and an odnosnik point; BDOT500 fences as curves of a
// line segment and an arc by three points; GESUT water pipes with 3D positions), a
// gml:Envelope, object versions, comments, CDATA and an entity reference in texts. Positions
// northing first with two decimals, in the "2000" zone 6 (EPSG:2178) around the demo's map.
// The GML 2 flavour writes gml:coordinates (cs ",", ts " ") under the GML namespace of 3.1
// and 2 instead. Deterministic: the same flavour gives the same bytes.
#pragma once

#include <ostream>
#include <string>

struct GmlFlavour {
  int parcels = 6;
  bool gml2 = false;
  bool cp1250 = false;  // declared windows-1250, its Polish letters in that encoding
  bool crlf = false;
  long double north = 5567250, east = 7456300;  // the south-west corner of the parcels
  long double side = 30;                        // of a parcel, m
  int perRow = 40;                              // parcels in a row, from west to east
};

void WriteGml(std::ostream& out, const GmlFlavour& flavour);

// The positions WriteGml writes for `flavour`, boxes not counted.
long long GmlPositions(const GmlFlavour& flavour);
