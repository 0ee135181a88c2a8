// An R-tree packed at once from every envelope of a layer, in the node format of SQLite's
// R-tree module (the GeoPackage spatial index, rtree(id, minx, maxx, miny, maxy)). The module
// itself inserts one row at a time, choosing a leaf and splitting nodes as it goes, which
// costs about 15 µs a row; a packed tree is sorted once instead (sort-tile-recursive: the
// envelopes cut into vertical slices by their centres' easting, each slice into nodes by
// northing, then the nodes the same way, level by level up to the root).
//
// The module's format: node 1 is the root; every node is a blob of the root's length, whose
// first two bytes are the tree's depth in the root (0 in the others), the next two the count
// of cells, and then the cells: an 8-byte id (a feature's id in a leaf, a child node's number
// above) and minx, maxx, miny, maxy as 4-byte floats, all big-endian. The floats enclose the
// envelope: minima rounded down, maxima up, as the module rounds them. Beside the nodes, the
// module keeps each id's leaf (%_rowid) and each node's parent but the root's (%_parent).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

struct FeatureEnvelope {
  std::int64_t id = 0;
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
};

struct PackedRtree {
  // nodes[k] is node k + 1; nodes[0] the root.
  std::vector<std::vector<unsigned char>> nodes;
  // In key order, so that each row goes at the end of its table.
  std::vector<std::pair<std::int64_t, std::int64_t>> leafOf;    // (id, leaf node)
  std::vector<std::pair<std::int64_t, std::int64_t>> parentOf;  // (node, parent node)
};

// The bytes of one cell: an id and four coordinates.
inline constexpr int kRtreeCellBytes = 8 + 4 * 4;

// Packs `envelopes` (finite, each minimum at most its maximum) into nodes of `nodeBytes`
// bytes (the length of an existing root, so at least 4 + 2 cells). No envelopes give the
// empty root that a new index holds.
PackedRtree PackRtree(std::vector<FeatureEnvelope> envelopes, int nodeBytes);
