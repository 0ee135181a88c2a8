// The register's GML (EGiB, BDOT500, GESUT and any GML 3.2, 3.1 or 2 feature collection)
// through a run's fit, rewritten in place: the numbers of every gml:pos, gml:posList,
// gml:coordinates (with its cs, ts and decimal) and of each gml:Envelope's or gml:Box's
// corners change, each kept to its own decimals; every other byte of the file stays as it
// was (declaration, comments, namespaces, gml:id, xlink:href, CDATA, entity references, the
// encoding and the line ends). A box becomes the box of its four corners through the fit,
// rounded outward. Label angles (katObrotu) are kept as written; the protocol states the
// fit's largest local rotation over the file's positions.
//
// Axis order from the srsName of a geometry or its nearest ancestor: the "2000" zones (EPSG
// 2176 to 2179, urn:ogc:def:crs:EPSG:: and http://www.opengis.net/def/crs/EPSG/0/) are
// northing first, a bare EPSG:2179 too (as the register writes it); the GML 2 form
// ...epsg.xml#2179 is easting first. No srsName: northing first. Another system refuses the
// file, as does a position outside the zone it names or the fit's zone.
//
// Streaming with expat: memory grows with the largest single element, not with the file.
// A file is corrected whole or not at all: any problem (not well-formed, a number that
// cannot be read, a position of the wrong dimension, a geometry with values that are no
// positions, as a gml:radius) is named in the protocol and no output is written. The
// output goes into a temporary file beside it, renamed into place when complete.
#pragma once

#include <string>

#include "inplace/GisJob.h"
#include "transform/TransformationResult.h"

// True when the root element of the file at `path` is a feature collection of a GML
// namespace (3.2, or 3.1 and 2): the files rewritten in place rather than through GDAL.
bool IsGmlFeatureCollection(const std::string& path);

// Rewrites `job.input` through the usable fit of `transformation`; writes the protocol.
GisFileResult RewriteGml(const GisJob& job, const TransformationResult& transformation);

// The rewrite of `input` (the bytes of a GML file) alone, fed to the parser `chunk` bytes at a
// time, on one thread: the output's bytes, or nothing and the problems in `result`. The
// output does not depend on `chunk`.
std::string RewriteGmlBytes(std::string_view input, const TransformationResult& transformation,
                            GisFileResult& result, std::size_t chunk);
