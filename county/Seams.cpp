#include "county/Seams.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "core/Threads.h"
#include "transform/TransformPoint.h"

namespace {

// A map position of one folder, placed by the hash of its coordinates.
struct Entry {
  std::uint64_t hash;
  std::uint32_t folder, index;
};

bool operator<(const Entry& a, const Entry& b) {
  if (a.hash != b.hash) return a.hash < b.hash;
  if (a.folder != b.folder) return a.folder < b.folder;
  return a.index < b.index;
}

std::uint64_t Mix(std::uint64_t z) {  // splitmix64's finaliser
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// The 80 significant bits of `v` (the padding of long double is not part of the value);
// -0 and +0 are one value.
std::uint64_t Bits(long double v) {
  if (v == 0) v = 0;
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &v, std::min<std::size_t>(10, sizeof v));
  std::uint64_t low = 0;
  std::uint16_t high = 0;
  std::memcpy(&low, bytes, 8);
  if (sizeof v >= 10) std::memcpy(&high, bytes + 8, 2);
  return Mix(low ^ Mix(high));
}

std::uint64_t HashOf(const MapPosition& p) {
  return Mix(Bits(p.first) ^ Mix(Bits(p.second) + 0x9e3779b97f4a7c15ULL));
}

bool SamePlace(const MapPosition& a, const MapPosition& b) {
  return a.first == b.first && a.second == b.second;
}

// Sorts on `threads` threads: each part alone, then the parts merged pairwise.
void ParallelSort(std::vector<Entry>& entries, int threads) {
  const std::size_t parts = std::max(1, std::min(threads, 64));
  const std::size_t step = (entries.size() + parts - 1) / std::max<std::size_t>(parts, 1);
  if (parts == 1 || step == 0) {
    std::sort(entries.begin(), entries.end());
    return;
  }
  auto at = [&](std::size_t p) { return entries.begin() + std::min(entries.size(), p * step); };
  ParallelFor(parts, static_cast<int>(parts), 1, [&](std::size_t begin, std::size_t end) {
    for (std::size_t p = begin; p < end; ++p)
      std::sort(at(p), at(p + 1));
  });
  for (std::size_t width = 1; width < parts; width *= 2) {
    for (std::size_t p = 0; p + width < parts; p += 2 * width)
      std::inplace_merge(at(p), at(p + width), at(std::min(parts, p + 2 * width)));
  }
}

// A vertex held by two or more folders: its position and the folders (flat, ascending).
struct SharedVertex {
  MapPosition at;
  std::uint32_t first, end;  // into the folder list
};

// Within a run of equal hashes, the positions equal to one another, each folder once.
void CollectShared(const std::vector<SeamFolder>& folders, const Entry* run, std::size_t count,
                   std::vector<SharedVertex>& shared, std::vector<std::uint32_t>& holders) {
  auto place = [&](const Entry& e) -> const MapPosition& {
    return folders[e.folder].positions[e.index];
  };
  std::vector<char> taken(count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    if (taken[i]) continue;
    const std::uint32_t first = static_cast<std::uint32_t>(holders.size());
    for (std::size_t j = i; j < count; ++j) {
      if (taken[j] || !SamePlace(place(run[i]), place(run[j]))) continue;
      taken[j] = 1;
      // The run is ordered by folder, so a repeat within a folder follows its first.
      if (holders.size() == first || holders.back() != run[j].folder) {
        holders.push_back(run[j].folder);
      }
    }
    if (holders.size() - first >= 2) {
      shared.push_back({place(run[i]), first, static_cast<std::uint32_t>(holders.size())});
    } else {
      holders.resize(first);
    }
  }
}

void FindSharedVertices(const std::vector<SeamFolder>& folders, int threads,
                        std::vector<SharedVertex>& shared, std::vector<std::uint32_t>& holders,
                        std::int64_t& positions) {
  std::vector<std::size_t> offset(folders.size() + 1, 0);
  for (std::size_t f = 0; f < folders.size(); ++f)
    offset[f + 1] = offset[f] + folders[f].positions.size();
  positions = static_cast<std::int64_t>(offset.back());
  std::vector<Entry> entries(offset.back());
  ParallelFor(folders.size(), threads, 1, [&](std::size_t begin, std::size_t end) {
    for (std::size_t f = begin; f < end; ++f) {
      const std::vector<MapPosition>& p = folders[f].positions;
      for (std::size_t i = 0; i < p.size(); ++i)
        entries[offset[f] + i] = {HashOf(p[i]), static_cast<std::uint32_t>(f),
                                  static_cast<std::uint32_t>(i)};
    }
  });
  ParallelSort(entries, threads);
  for (std::size_t g = 0; g < entries.size();) {
    std::size_t end = g + 1;
    while (end < entries.size() && entries[end].hash == entries[g].hash)
      ++end;
    // A hash of one folder alone shares nothing.
    if (entries[end - 1].folder != entries[g].folder) {
      CollectShared(folders, &entries[g], end - g, shared, holders);
    }
    g = end;
  }
}

bool Compared(const SeamFolder& folder) {
  return folder.fit && folder.fit->Usable();
}

// Every pair of usable holders of every shared vertex, each vertex's converted coordinates
// computed once per holder.
std::vector<Seam> MeasureSeams(const std::vector<SeamFolder>& folders,
                               const std::vector<SharedVertex>& shared,
                               const std::vector<std::uint32_t>& holders, const SeamSearch& search,
                               int threads) {
  std::vector<TransformedPoint> converted(holders.size());
  ParallelFor(shared.size(), threads, 256, [&](std::size_t begin, std::size_t end) {
    for (std::size_t v = begin; v < end; ++v) {
      for (std::uint32_t h = shared[v].first; h < shared[v].end; ++h) {
        const SeamFolder& folder = folders[holders[h]];
        if (Compared(folder)) {
          TransformPoint(*folder.fit, shared[v].at.first, shared[v].at.second, converted[h]);
        }
      }
    }
  });
  // rms holds the sum of the squares until every vertex is in.
  std::map<std::pair<int, int>, Seam> byPair;
  for (const SharedVertex& v : shared) {
    for (std::uint32_t i = v.first; i < v.end; ++i) {
      for (std::uint32_t j = i + 1; j < v.end; ++j) {
        const int a = static_cast<int>(holders[i]), b = static_cast<int>(holders[j]);
        if (!Compared(folders[a]) || !Compared(folders[b])) continue;
        const TransformedPoint &pa = converted[i], &pb = converted[j];
        const long double d = std::hypot(pb.Xk - pa.Xk, pb.Yk - pa.Yk);
        Seam& seam = byPair[{a, b}];
        seam.a = a;
        seam.b = b;
        ++seam.shared;
        seam.max = std::max(seam.max, d);
        seam.rms += d * d;
        if (d > search.tolerance) {
          seam.overTolerance.push_back({v.at.first, v.at.second, pa.Xk, pa.Yk, pb.Xk, pb.Yk, d});
        }
      }
    }
  }
  std::vector<Seam> seams;
  for (auto& [pair, seam] : byPair) {
    seam.rms = std::sqrt(seam.rms / static_cast<long double>(seam.shared));
    std::sort(seam.overTolerance.begin(), seam.overTolerance.end(),
              [](const SeamVertex& p, const SeamVertex& q) {
                return p.x != q.x ? p.x < q.x : p.y < q.y;
              });
    seams.push_back(std::move(seam));
  }
  return seams;
}

}  // namespace

bool SeamFindings::AnyOverTolerance() const {
  return std::any_of(seams.begin(), seams.end(),
                     [](const Seam& s) { return !s.overTolerance.empty(); });
}

bool SeamFindings::AnyDifferingPoint() const {
  return std::any_of(adjustmentPoints.begin(), adjustmentPoints.end(),
                     [](const SharedAdjustmentPoint& p) { return p.differs; });
}

SeamFindings FindSeams(const std::vector<SeamFolder>& folders, const SeamSearch& search) {
  const int threads = ThreadsFor(search.threads);
  SeamFindings findings;
  std::vector<SharedVertex> shared;
  std::vector<std::uint32_t> holders;
  FindSharedVertices(folders, threads, shared, holders, findings.positions);
  findings.seams = MeasureSeams(folders, shared, holders, search, threads);
  std::vector<const TPktDostosowania*> lists;
  for (const SeamFolder& folder : folders)
    lists.push_back(&folder.adjustmentPoints);
  findings.adjustmentPoints = SharedAdjustmentPoints(lists);
  return findings;
}

std::vector<SharedAdjustmentPoint> SharedAdjustmentPoints(
    const std::vector<const TPktDostosowania*>& folders) {
  // number -> (folder, its first record of the number), folders ascending
  std::map<PointNumber, std::vector<std::pair<int, const TPkt*>>> holders;
  for (std::size_t f = 0; f < folders.size(); ++f) {
    for (const TPkt& p : *folders[f]) {
      auto& list = holders[PointNumber(p.Nr)];
      if (list.empty() || list.back().first != static_cast<int>(f)) {
        list.emplace_back(static_cast<int>(f), &p);
      }
    }
  }
  std::vector<SharedAdjustmentPoint> shared;
  for (const auto& [nr, list] : holders) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      for (std::size_t j = i + 1; j < list.size(); ++j) {
        const TPkt &a = *list[i].second, &b = *list[j].second;
        SharedAdjustmentPoint s{list[i].first, list[j].first, nr,          b.x1 - a.x1,
                                b.y1 - a.y1,   b.x2 - a.x2,   b.y2 - a.y2, false};
        s.differs =
            std::fabs(s.dx1) > kSamePointTolerance || std::fabs(s.dy1) > kSamePointTolerance ||
            std::fabs(s.dx2) > kSamePointTolerance || std::fabs(s.dy2) > kSamePointTolerance;
        shared.push_back(s);
      }
    }
  }
  std::stable_sort(shared.begin(), shared.end(),
                   [](const SharedAdjustmentPoint& p, const SharedAdjustmentPoint& q) {
                     return std::pair(p.a, p.b) < std::pair(q.a, q.b);
                   });
  return shared;
}
