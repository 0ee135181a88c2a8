#include "gis/PackedRtree.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A cell as the module stores it: the envelope enclosed by floats.
struct Cell {
  std::int64_t id = 0;
  float minX = 0, maxX = 0, minY = 0, maxY = 0;
};

float RoundedDown(double v) {
  float f = static_cast<float>(v);
  if (static_cast<double>(f) > v) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
  return f;
}

float RoundedUp(double v) {
  float f = static_cast<float>(v);
  if (static_cast<double>(f) < v) f = std::nextafter(f, std::numeric_limits<float>::infinity());
  return f;
}

double CentreX(const Cell& c) {
  return static_cast<double>(c.minX) + c.maxX;
}
double CentreY(const Cell& c) {
  return static_cast<double>(c.minY) + c.maxY;
}

// Orders one level so that each run of `capacity` cells is a node: vertical slices of
// ⌈√nodes⌉ nodes by easting, each slice by northing. Ties go by id, so the tree depends on
// the envelopes alone.
void SortTileRecursive(std::vector<Cell>& cells, std::size_t capacity) {
  const auto byX = [](const Cell& a, const Cell& b) {
    return CentreX(a) != CentreX(b) ? CentreX(a) < CentreX(b) : a.id < b.id;
  };
  const auto byY = [](const Cell& a, const Cell& b) {
    return CentreY(a) != CentreY(b) ? CentreY(a) < CentreY(b) : a.id < b.id;
  };
  const std::size_t nodes = (cells.size() + capacity - 1) / capacity;
  const auto slices = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(nodes))));
  const std::size_t perSlice = slices * capacity;
  std::sort(cells.begin(), cells.end(), byX);
  for (std::size_t begin = 0; begin < cells.size(); begin += perSlice) {
    const std::size_t end = std::min(cells.size(), begin + perSlice);
    std::sort(cells.begin() + static_cast<std::ptrdiff_t>(begin),
              cells.begin() + static_cast<std::ptrdiff_t>(end), byY);
  }
}

Cell Enclosing(const std::vector<Cell>& cells, std::size_t begin, std::size_t end) {
  Cell box = cells[begin];
  for (std::size_t k = begin + 1; k < end; ++k) {
    box.minX = std::min(box.minX, cells[k].minX);
    box.maxX = std::max(box.maxX, cells[k].maxX);
    box.minY = std::min(box.minY, cells[k].minY);
    box.maxY = std::max(box.maxY, cells[k].maxY);
  }
  return box;
}

void PutBigEndian(std::vector<unsigned char>& blob, std::size_t at, std::uint64_t v, int bytes) {
  for (int k = bytes - 1; k >= 0; --k) {
    blob[at + static_cast<std::size_t>(k)] = static_cast<unsigned char>(v & 0xff);
    v >>= 8;
  }
}

void PutFloat(std::vector<unsigned char>& blob, std::size_t at, float f) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  PutBigEndian(blob, at, bits, 4);
}

std::vector<unsigned char> NodeBlob(const std::vector<Cell>& cells, int depth, int nodeBytes) {
  std::vector<unsigned char> blob(static_cast<std::size_t>(nodeBytes), 0);
  PutBigEndian(blob, 0, static_cast<std::uint64_t>(depth), 2);
  PutBigEndian(blob, 2, cells.size(), 2);
  std::size_t at = 4;
  for (const Cell& c : cells) {
    PutBigEndian(blob, at, static_cast<std::uint64_t>(c.id), 8);
    PutFloat(blob, at + 8, c.minX);
    PutFloat(blob, at + 12, c.maxX);
    PutFloat(blob, at + 16, c.minY);
    PutFloat(blob, at + 20, c.maxY);
    at += kRtreeCellBytes;
  }
  return blob;
}

// A tree built bottom-up: each node's cells, an inner node's naming their children by their
// place in `nodes`; levelStart[d] is the first node of level d (0: the leaves), the root last.
struct Levels {
  std::vector<std::vector<Cell>> nodes;
  std::vector<std::size_t> levelStart;

  int Depth() const { return static_cast<int>(levelStart.size()) - 1; }
  std::size_t Begin(int d) const { return levelStart[static_cast<std::size_t>(d)]; }
  std::size_t End(int d) const { return d == Depth() ? nodes.size() : Begin(d + 1); }
};

// Packs one level into nodes of `capacity` cells; returns the cells of the level above.
std::vector<Cell> PackLevel(std::vector<Cell>& level, std::size_t capacity, Levels& levels) {
  SortTileRecursive(level, capacity);
  levels.levelStart.push_back(levels.nodes.size());
  std::vector<Cell> above;
  std::size_t begin = 0;
  do {  // once at least: no envelopes give one empty root
    const std::size_t end = std::min(level.size(), begin + capacity);
    levels.nodes.emplace_back(level.begin() + static_cast<std::ptrdiff_t>(begin),
                              level.begin() + static_cast<std::ptrdiff_t>(end));
    Cell box = begin < end ? Enclosing(level, begin, end) : Cell{};
    box.id = static_cast<std::int64_t>(levels.nodes.size() - 1);
    above.push_back(box);
    begin = end;
  } while (begin < level.size());
  return above;
}

}  // namespace

PackedRtree PackRtree(std::vector<FeatureEnvelope> envelopes, int nodeBytes) {
  const auto capacity = static_cast<std::size_t>((nodeBytes - 4) / kRtreeCellBytes);
  std::vector<Cell> level;
  level.reserve(envelopes.size());
  for (const FeatureEnvelope& e : envelopes) {
    level.push_back(
        {e.id, RoundedDown(e.minX), RoundedUp(e.maxX), RoundedDown(e.minY), RoundedUp(e.maxY)});
  }
  envelopes = {};
  Levels levels;
  do {
    level = PackLevel(level, capacity, levels);
  } while (level.size() > 1);

  // Numbered from the root down, level by level: the root is node 1.
  const int depth = levels.Depth();
  std::vector<std::int64_t> number(levels.nodes.size());
  std::int64_t next = 1;
  for (int d = depth; d >= 0; --d) {
    for (std::size_t k = levels.Begin(d); k < levels.End(d); ++k)
      number[k] = next++;
  }
  PackedRtree tree;
  tree.nodes.resize(levels.nodes.size());
  for (int d = depth; d >= 0; --d) {
    for (std::size_t k = levels.Begin(d); k < levels.End(d); ++k) {
      for (Cell& c : levels.nodes[k]) {
        if (d == 0) {
          tree.leafOf.emplace_back(c.id, number[k]);
        } else {
          c.id = number[static_cast<std::size_t>(c.id)];
          tree.parentOf.emplace_back(c.id, number[k]);
        }
      }
      tree.nodes[static_cast<std::size_t>(number[k] - 1)] =
          NodeBlob(levels.nodes[k], number[k] == 1 ? depth : 0, nodeBytes);
    }
  }
  std::sort(tree.leafOf.begin(), tree.leafOf.end());
  std::sort(tree.parentOf.begin(), tree.parentOf.end());
  return tree;
}
