// A CAD drawing (ASCII DXF, R12 to 2018: AC1009 to AC1032) through a run's fit, rewritten
// entity by entity: the group-code pairs are copied as they are, byte for byte (the codes'
// padding, CR LF or LF, every string in its code page), but for the values that carry the
// map's positions, in the model space (the ENTITIES section's entities without code 67 = 1,
// and the *Model_Space block's):
//
//   POINT, LINE, SOLID, TRACE, 3DFACE, LEADER, LWPOLYLINE, VERTEX: every point (a POLYLINE's
//     own dummy point and the bulges kept: a conformal fit keeps angles);
//   CIRCLE, ARC: the centre, the radius scaled by the fit's local scale, the angles turned;
//   ELLIPSE: the centre, the major axis turned and scaled (the ratio kept);
//   TEXT, ATTRIB, ATTDEF: the insertion point (and the alignment point where the
//     justification uses it), the rotation turned, heights kept; MTEXT: the insertion point,
//     its direction vector or rotation turned;
//   INSERT: the insertion point, the rotation turned (the block and its scales kept);
//   SPLINE: control and fit points, the tangents turned; IMAGE, WIPEOUT: the insertion
//     point, the u and v vectors turned and scaled; HATCH: its boundary paths and seed
//     points (the elevation point kept), arc edges as ARC; DIMENSION: its definition
//     points and text middle, angles turned, and its anonymous block *D... (drawn in world
//     coordinates) as the model space. An angle the file leaves out stays out.
//
// The turn and the scale are the whole fit's (model and correction) at the entity's first
// point (LocalTurnOfFit). DXF X is easting and Y northing, as CAD draws a map, unless the job
// says northing first. An entity with the extrusion -Z has its OCS X mirrored, which the
// rewrite follows; any other extrusion is refused. Blocks stay in their own coordinates,
// paper space as it is; $EXTMIN and $EXTMAX become the box of their four corners through
// the fit, rounded outward to doubles. A changed number is the shortest text that reads back
// as the same double. A drawing is corrected whole or not at all: an entity the rewrite
// cannot carry exactly (a DIMENSION, a clockwise arc of a hatch, a proxy, ACIS solids and regions,
// an unknown entity with positions, another extrusion) is named with its handle, type and layer; a
// file that breaks off inside a pair or has no number where one is needed, with its line; a binary
// DXF is refused; then nothing is written.
#pragma once

#include <string>
#include <string_view>

#include "inplace/GisJob.h"
#include "transform/TransformationResult.h"

// True for a file named *.dxf (in any case of letters).
bool IsDxfFile(const std::string& path);

GisFileResult RewriteDxf(const GisJob& job, const TransformationResult& transformation);

// The rewrite of `input` alone (its lines read `chunk` bytes at a time), for the fuzz target:
// the output, or nothing and the problems in `result`.
std::string RewriteDxfBytes(std::string_view input, const TransformationResult& transformation,
                            bool northingFirst, GisFileResult& result, std::size_t chunk);
