#include "inplace/DxfRewrite.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>

#include "core/Threads.h"
#include "inplace/FitGeometry.h"
#include "inplace/InPlaceProtocol.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"
#include "textio/Platform.h"
#include "textio/SystemReason.h"
#include "transform/TransformPoint.h"

namespace {

constexpr std::size_t kBatchPositions = 1 << 14, kBatchEntities = 1 << 12;
constexpr std::size_t kProblemsKept = 50;
constexpr long double kDegree = std::numbers::pi_v<long double> / 180;

// One group-code pair as the file holds it: the code's line whole (with its line end), the
// value without its line end, then that line end.
struct Pair {
  int code = 0;
  std::string codeLine, value, valueEnd;
  long line = 0;  // of the code
  bool replaced = false;
  std::string replacement;
};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t from = text.find_first_not_of(" \t");
  if (from == std::string_view::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

// A long double as a double no smaller (`up`) or no larger than it.
double Outward(long double value, bool up) {
  const double d = static_cast<double>(value);
  if (up && d < value) return std::nextafter(d, INFINITY);
  if (!up && d > value) return std::nextafter(d, -INFINITY);
  return d;
}

// What an entity's values are, by type. Positions are the points (codes 10 to 18 with their
// 20 to 28) that go through the fit; vectors are turned (and scaled where `scaled`); angles
// turned, in degrees or radians; radii scaled.
struct EntityRules {
  std::vector<int> positions, vectors, scaledVectors, degrees, radians, radii;
  bool ocs = false;  // its points lie in the object coordinate system
};

// The rules of the entity types the rewrite carries; null for one it cannot carry exactly.
const EntityRules* RulesOf(std::string_view type) {
  static const std::vector<std::pair<std::string_view, EntityRules>> kRules = {
      {"POINT", {{10}, {}, {}, {}, {}, {}, false}},
      {"LINE", {{10, 11}, {}, {}, {}, {}, {}, false}},
      {"SOLID", {{10, 11, 12, 13}, {}, {}, {}, {}, {}, true}},
      {"TRACE", {{10, 11, 12, 13}, {}, {}, {}, {}, {}, true}},
      {"3DFACE", {{10, 11, 12, 13}, {}, {}, {}, {}, {}, false}},
      {"LEADER", {{10}, {}, {}, {}, {}, {}, false}},
      {"LWPOLYLINE", {{10}, {}, {}, {}, {}, {}, true}},
      {"POLYLINE", {{}, {}, {}, {}, {}, {}, true}},
      {"VERTEX", {{10}, {}, {}, {}, {}, {}, true}},
      {"CIRCLE", {{10}, {}, {}, {}, {}, {40}, true}},
      {"ARC", {{10}, {}, {}, {50, 51}, {}, {40}, true}},
      {"ELLIPSE", {{10}, {}, {11}, {}, {}, {}, false}},
      {"TEXT", {{10, 11}, {}, {}, {50}, {}, {}, true}},
      {"ATTRIB", {{10, 11}, {}, {}, {50}, {}, {}, true}},
      {"ATTDEF", {{10, 11}, {}, {}, {50}, {}, {}, true}},
      {"MTEXT", {{10}, {11}, {}, {}, {50}, {}, false}},
      {"INSERT", {{10}, {}, {}, {50}, {}, {}, true}},
      {"SPLINE", {{10, 11}, {12, 13}, {}, {}, {}, {}, false}},
      {"IMAGE", {{10}, {}, {11, 12}, {}, {}, {}, false}},
      {"WIPEOUT", {{10}, {}, {11, 12}, {}, {}, {}, false}},
      {"HATCH", {{}, {}, {}, {}, {}, {}, true}},  // its boundary read by HatchRoles
      // The definition points and the text's middle; 12, the point clones are inserted at,
      // is kept (programs write 0, 0 there).
      {"DIMENSION", {{10, 11, 13, 14, 15, 16}, {}, {}, {50, 51, 53}, {}, {}, false}},
  };
  for (const auto& [name, rules] : kRules) {
    if (name == type) return &rules;
  }
  return nullptr;
}

bool Has(const std::vector<int>& codes, int code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// An entity on its way: its pairs, and what in them goes through the fit.
struct Entity {
  std::vector<Pair> pairs;
  std::string type, handle, layer;
  struct Point {
    std::size_t x, y;  // pairs
    int code;
    std::size_t position = 0;  // in the batch (a position's)
    bool scaled = false;       // a vector scaled as well as turned
  };
  std::vector<Point> points, vectors;
  std::vector<std::size_t> angles, radii;  // pairs
  bool mirrored = false;                   // extrusion -Z: OCS X is -WCS X
  std::size_t turn = 0;                    // in the batch's turns; 0: none needed

  // Emptied for the next entity, its tables' room kept.
  void Reset(std::string_view name) {
    pairs.clear();
    points.clear();
    vectors.clear();
    angles.clear();
    radii.clear();
    type.assign(name);
    handle.clear();
    layer.clear();
    mirrored = false;
    turn = 0;
  }
};

// The positions and turns of a batch of entities through the fit, on a WorkTeam.
struct Batch {
  std::vector<Entity> entities;  // the first `count` are the batch's; the rest keep their room
  std::size_t count = 0;
  Entity& Next() {
    if (count == entities.size()) entities.emplace_back();
    return entities[count++];
  }
  std::vector<long double> x, y, X, Y, outside;  // fit coordinates: x northing, y easting
  std::vector<LocalTurn> turns;                  // 0 unused
  std::vector<std::pair<long double, long double>> turnAt;
  void Clear() {
    count = 0;
    for (auto* v : {&x, &y, &X, &Y, &outside})
      v->clear();
    turns.assign(1, LocalTurn{});
    turnAt.assign(1, {0, 0});
  }
};

class DxfRewriter {
 public:
  using Sink = std::function<void(std::string_view)>;

  DxfRewriter(const TransformationResult& t, int threads, bool northingFirst, GisFileResult& result,
              Sink sink)
      : fit_(t.FittedTransformation),
        hull_(t.FittedTransformation),
        team_(ThreadsFor(threads)),
        northingFirst_(northingFirst),
        result_(result),
        sink_(std::move(sink)) {
    batches_[0].Clear();
    batches_[1].Clear();
  }
  // The team may still hold a batch (a drawing refused halfway).
  ~DxfRewriter() {
    if (working_) team_.Finish();
  }
  DxfRewriter(const DxfRewriter&) = delete;
  DxfRewriter& operator=(const DxfRewriter&) = delete;

  // Feeds the next bytes; `last` with the final ones.
  void Feed(std::string_view bytes, bool last);

 private:
  void Line(std::string_view line, std::string_view end);
  void TakePair(Pair pair);
  void SectionPair(Pair& pair);
  void Header(Pair& pair);
  void CloseHeader();
  void EntityPair(Pair& pair);
  void CloseEntity();
  void Classify(Entity& e, bool modelSpace);
  bool Roles(Entity& e, const EntityRules& rules, bool justified);
  bool HatchRoles(Entity& e);
  std::optional<std::size_t> YOf(Entity& e, std::size_t k);
  void Place(Entity& e);
  bool Number(const Pair& pair, long double& value);
  void Dispatch();  // the filling batch to the team; the one before it written
  void Flush();     // every batch written
  void Emit(Batch& batch);
  void Turn(Entity& e, const LocalTurn& turn);
  void WriteEntity(const Entity& e);
  void WritePair(const Pair& pair) {
    sink_(pair.codeLine);
    sink_(pair.replaced ? pair.replacement : pair.value);
    sink_(pair.valueEnd);
  }
  void Problem(const std::string& text);
  void EntityProblem(const Entity& e, const std::string& text);
  // Fit coordinates of a drawing's point, and back.
  void ToFit(long double X, long double Y, long double& x, long double& y) const {
    x = northingFirst_ ? X : Y;
    y = northingFirst_ ? Y : X;
  }

  const TFittedTransformation& fit_;
  AdjustmentHull hull_;
  WorkTeam team_;
  bool northingFirst_;
  GisFileResult& result_;
  Sink sink_;
  bool failed_ = false, binaryChecked_ = false, binary_ = false, ended_ = false;
  long long problems_ = 0;
  std::string head_;     // the file's first bytes, to tell a binary DXF
  std::string text_;     // an entity as written
  std::string pending_;  // a line not yet ended
  long lineNumber_ = 0;
  std::optional<Pair> code_;  // a code line waiting for its value
  std::string section_;       // the open section's name; empty outside one
  bool sectionNamed_ = false;
  std::vector<Pair> header_;
  Entity entity_;  // the entity being read, when `entityOpen_`
  bool entityOpen_ = false;
  bool inModelBlock_ = false;
  bool polylineMirrored_ = false;  // the open POLYLINE's vertices lie in a mirrored OCS
  // Two batches: the team carries one through the fit while the reading thread fills the
  // other; they are written in the order they were read.
  std::array<Batch, 2> batches_;
  Batch* filling_ = &batches_[0];
  Batch* working_ = nullptr;
};

void DxfRewriter::Problem(const std::string& text) {
  failed_ = true;
  if (++problems_ <= static_cast<long long>(kProblemsKept)) result_.problems.push_back(text);
}

void DxfRewriter::EntityProblem(const Entity& e, const std::string& text) {
  const long line = e.pairs.empty() ? lineNumber_ : e.pairs.front().line;
  Problem("wiersz " + std::to_string(line) + ", " + e.type + " (uchwyt " +
          (e.handle.empty() ? std::string("brak") : e.handle) + ", warstwa " +
          (e.layer.empty() ? std::string("brak") : e.layer) + "): " + text);
}

bool DxfRewriter::Number(const Pair& pair, long double& value) {
  if (textio::ParseNumber(Trimmed(pair.value), value) && std::isfinite(value)) return true;
  Problem("wiersz " + std::to_string(pair.line + 1) + ": kod " + std::to_string(pair.code) +
          " wymaga liczby, a jest \"" + std::string(Trimmed(pair.value)).substr(0, 40) + "\"");
  return false;
}

void DxfRewriter::Feed(std::string_view bytes, bool last) {
  constexpr std::string_view kBinary = "AutoCAD Binary DXF";
  if (!binaryChecked_) {
    head_.append(bytes.substr(0, kBinary.size() - head_.size()));
    binaryChecked_ = head_.size() == kBinary.size() || last;
    if (binaryChecked_ && head_ == kBinary) {
      Problem("binarny plik DXF: przepisywany w miejscu może być tylko DXF tekstowy (ASCII)");
      binary_ = true;
    }
  }
  if (binary_ || (failed_ && problems_ > static_cast<long long>(kProblemsKept))) return;
  std::size_t from = 0;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    if (bytes[k] != '\n') continue;
    std::string_view line = bytes.substr(from, k + 1 - from);
    if (!pending_.empty()) {
      pending_.append(line);
      line = pending_;
    }
    const std::size_t content =
        line.size() - (line.size() >= 2 && line[line.size() - 2] == '\r' ? 2 : 1);
    Line(line.substr(0, content), line.substr(content));
    pending_.clear();
    from = k + 1;
  }
  pending_.append(bytes.substr(from));
  if (!last) return;
  if (!pending_.empty()) Line(pending_, "");  // the last line may have no line end
  pending_.clear();
  if (code_) {
    Problem("wiersz " + std::to_string(code_->line) + ": plik kończy się po kodzie, bez wartości");
  } else if (!ended_ && !failed_) {
    Problem("wiersz " + std::to_string(lineNumber_) +
            ": plik kończy się bez końca rysunku (0 EOF): jest niepełny");
  }
  if (entityOpen_) CloseEntity();
  if (!failed_) Flush();
  if (!header_.empty() && !failed_) CloseHeader();
  if (problems_ > static_cast<long long>(kProblemsKept)) {
    result_.problems.push_back("i dalszych problemów: " +
                               std::to_string(problems_ - kProblemsKept));
  }
  GisPositionFigures& f = result_.figures;
  if (f.positions > 0) f.meanShift /= static_cast<long double>(f.positions);
}

void DxfRewriter::Line(std::string_view line, std::string_view end) {
  ++lineNumber_;
  if (!code_) {
    Pair pair;
    pair.line = lineNumber_;
    const std::string_view text = Trimmed(line);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), pair.code);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) {
      Problem("wiersz " + std::to_string(lineNumber_) + ": \"" + std::string(text.substr(0, 40)) +
              "\" nie jest kodem grupy");
      pair.code = -1;
    }
    pair.codeLine.assign(line);
    pair.codeLine.append(end);
    code_ = std::move(pair);
    return;
  }
  Pair pair = std::move(*code_);
  code_.reset();
  pair.value.assign(line);
  pair.valueEnd.assign(end);
  TakePair(std::move(pair));
}

// Sections: HEADER is held to its end, ENTITIES and BLOCKS go entity by entity, every other
// section straight through.
void DxfRewriter::TakePair(Pair pair) {
  if (pair.code == 0 && (Trimmed(pair.value) == "SECTION" || Trimmed(pair.value) == "ENDSEC" ||
                         Trimmed(pair.value) == "EOF")) {
    if (entityOpen_) CloseEntity();
    if (!failed_) Flush();
    if (section_ == "HEADER" && !failed_) CloseHeader();
    section_ = Trimmed(pair.value) == "SECTION" ? "?" : "";
    if (Trimmed(pair.value) == "EOF") ended_ = true;
    sectionNamed_ = false;
    inModelBlock_ = false;
    if (!failed_) WritePair(pair);
    return;
  }
  if (section_ == "?" && !sectionNamed_ && pair.code == 2) {
    section_ = Upper(Trimmed(pair.value));
    sectionNamed_ = true;
    if (!failed_) WritePair(pair);
    return;
  }
  if (section_ == "HEADER") {
    header_.push_back(std::move(pair));
  } else if (section_ == "ENTITIES" || section_ == "BLOCKS") {
    EntityPair(pair);
  } else if (!failed_) {
    WritePair(pair);
  }
}

void DxfRewriter::EntityPair(Pair& pair) {
  if (pair.code == 0) {
    if (entityOpen_) CloseEntity();
    entity_.Reset(Trimmed(pair.value));
    entityOpen_ = true;
  }
  if (!entityOpen_) {  // a pair before the section's first entity
    if (!failed_) WritePair(pair);
    return;
  }
  if (pair.code == 5) entity_.handle.assign(Trimmed(pair.value));
  if (pair.code == 8) entity_.layer.assign(Trimmed(pair.value));
  entity_.pairs.push_back(std::move(pair));
}

void DxfRewriter::CloseEntity() {
  Entity& e = entity_;
  entityOpen_ = false;
  bool modelSpace = section_ == "ENTITIES";
  if (section_ == "BLOCKS") {
    if (e.type == "BLOCK") {
      // The model space's block, and a dimension's anonymous block (*D..., flag 1), which is
      // drawn in world coordinates.
      std::string name;
      int flags = 0;
      for (const Pair& p : e.pairs) {
        if (p.code == 2) name = Upper(Trimmed(p.value));
        if (p.code == 70) flags = std::atoi(std::string(Trimmed(p.value)).c_str());
      }
      inModelBlock_ = name == "*MODEL_SPACE" || name == "$MODEL_SPACE" ||
                      (name.rfind("*D", 0) == 0 && (flags & 1) != 0);
      modelSpace = false;
    } else if (e.type == "ENDBLK") {
      inModelBlock_ = false;
      modelSpace = false;
    } else {
      modelSpace = inModelBlock_;
    }
  }
  for (const Pair& p : e.pairs) {
    if (p.code == 67 && Trimmed(p.value) == "1") modelSpace = false;  // paper space
  }
  Classify(e, modelSpace);
  if (failed_) return;
  // Into the batch, and the batch's spare entity, with its room, back to be read into.
  std::swap(e, filling_->Next());
  if (filling_->x.size() >= kBatchPositions || filling_->count >= kBatchEntities) Dispatch();
}

// What of the entity goes through the fit, by its type's rules; a problem when the entity
// cannot be carried exactly.
void DxfRewriter::Classify(Entity& e, bool modelSpace) {
  if (e.type == "SEQEND") polylineMirrored_ = false;
  if (!modelSpace) return;
  const EntityRules* rules = RulesOf(e.type);
  long double extrusion[3] = {0, 0, 1};
  bool positions = false, justified = false;
  for (const Pair& p : e.pairs) {
    if (p.code >= 10 && p.code <= 18) positions = true;
    if (p.code >= 210 && p.code <= 230 && p.code % 10 == 0) {
      if (!Number(p, extrusion[(p.code - 210) / 10])) return;
    }
    // TEXT justifies by 72 and 73, ATTRIB and ATTDEF by 72 and 74 (their 73 is a length).
    const int vertical = e.type == "TEXT" ? 73 : 74;
    if ((p.code == 72 || p.code == vertical) && Trimmed(p.value) != "0") justified = true;
  }
  if (!rules) {
    if (positions) EntityProblem(e, "tego obiektu nie można przeliczyć dokładnie");
    return;
  }
  const bool flat = std::fabs(extrusion[0]) < 1e-12 && std::fabs(extrusion[1]) < 1e-12;
  if (!flat || std::fabs(std::fabs(extrusion[2]) - 1) > 1e-12) {
    EntityProblem(e,
                  "kierunek wyciągnięcia inny niż +Z lub -Z: tego obiektu nie można "
                  "przeliczyć dokładnie");
    return;
  }
  if (e.type == "DIMENSION" && extrusion[2] < 0) {
    // Its points are partly world, partly object coordinates.
    EntityProblem(e,
                  "wymiar o kierunku wyciągnięcia -Z: tego obiektu nie można przeliczyć "
                  "dokładnie");
    return;
  }
  e.mirrored = rules->ocs && extrusion[2] < 0;
  if (e.type == "POLYLINE") {
    // 3D polylines and meshes (flags 8, 16, 64) hold their vertices in world coordinates.
    int flags = 0;
    for (const Pair& p : e.pairs) {
      if (p.code == 70) flags = std::atoi(std::string(Trimmed(p.value)).c_str());
    }
    polylineMirrored_ = e.mirrored && (flags & (8 | 16 | 64)) == 0;
  }
  if (e.type == "VERTEX") e.mirrored = polylineMirrored_;
  if (e.type == "HATCH" ? !HatchRoles(e) : !Roles(e, *rules, justified)) return;
  Place(e);
}

bool DxfRewriter::Roles(Entity& e, const EntityRules& rules, bool justified) {
  for (std::size_t k = 0; k < e.pairs.size(); ++k) {
    const int code = e.pairs[k].code;
    if (code >= 10 && code <= 18) {
      // The point's y follows its x, as every program writes it; a lone x is refused.
      const std::optional<std::size_t> found = YOf(e, k);
      if (!found) return false;
      const std::size_t y = *found;
      // An alignment point a left-justified text does not use stays as written.
      const bool unused = code == 11 && !justified &&
                          (e.type == "TEXT" || e.type == "ATTRIB" || e.type == "ATTDEF");
      if (Has(rules.positions, code) && !unused) {
        e.points.push_back({k, y, code});
      } else if (Has(rules.vectors, code) || Has(rules.scaledVectors, code)) {
        e.vectors.push_back({k, y, code, 0, Has(rules.scaledVectors, code)});
      }
    } else if (Has(rules.degrees, code) || Has(rules.radians, code)) {
      e.angles.push_back(k);
    } else if (Has(rules.radii, code)) {
      e.radii.push_back(k);
    }
  }
  return true;
}

// The y of the point whose x is pair `k`: the next pair of code + 10, before another x of
// the same code; a problem when there is none.
std::optional<std::size_t> DxfRewriter::YOf(Entity& e, std::size_t k) {
  const int code = e.pairs[k].code;
  std::size_t y = k + 1;
  while (y < e.pairs.size() && e.pairs[y].code != code + 10 && e.pairs[y].code != code)
    ++y;
  if (y < e.pairs.size() && e.pairs[y].code == code + 10) return y;
  EntityProblem(e, "współrzędna X (kod " + std::to_string(code) + ") bez Y");
  return std::nullopt;
}

// A hatch's boundary: the elevation point (the first 10, before the paths) stays; polyline
// paths' vertices, line edges' ends, arc edges' centres (radius scaled, angles turned),
// elliptic edges' centres (major axis turned and scaled; their angles are the ellipse's own),
// spline edges' control and fit points (tangents turned) and the seed points go through the
// fit. A clockwise arc edge is refused: its angles would turn the other way.
bool DxfRewriter::HatchRoles(Entity& e) {
  bool elevation = false, paths = false, polyline = false, after = false;
  int edge = 0;
  for (std::size_t k = 0; k < e.pairs.size(); ++k) {
    const int code = e.pairs[k].code;
    const int value = std::atoi(std::string(Trimmed(e.pairs[k].value)).c_str());
    if (code == 91) paths = true;
    if (paths && !after && code == 92) polyline = (value & 2) != 0, edge = 0;
    if (paths && !after && code == 72 && !polyline) edge = value;
    if (paths && (code == 75 || code == 98)) after = true;
    if (paths && !after && edge == 2 && code == 73 && value == 0) {
      EntityProblem(e,
                    "łuk obwiedni kreskowania zgodny z ruchem wskazówek zegara: tego "
                    "obiektu nie można przeliczyć dokładnie");
      return false;
    }
    if (code < 10 || code > 13) {
      if (paths && !after && edge == 2 && code == 40) e.radii.push_back(k);
      if (paths && !after && edge == 2 && (code == 50 || code == 51)) e.angles.push_back(k);
      continue;
    }
    const std::optional<std::size_t> y = YOf(e, k);
    if (!y) return false;
    if (!paths) {
      if (code == 10 && !elevation) elevation = true;  // kept
      continue;
    }
    const bool position =
        after || polyline || (code == 10) || (edge == 1 && code == 11) || (edge == 4 && code == 11);
    const bool vector = !after && !polyline &&
                        ((edge == 3 && code == 11) || (edge == 4 && (code == 12 || code == 13)));
    if (position) e.points.push_back({k, *y, code});
    if (vector) e.vectors.push_back({k, *y, code, 0, edge == 3});
  }
  return true;
}

// The entity's positions into the filling batch, in fit coordinates, and its turn's point.
void DxfRewriter::Place(Entity& e) {
  long double x0 = 0, y0 = 0;
  for (Entity::Point& p : e.points) {
    long double X = 0, Y = 0;
    if (!Number(e.pairs[p.x], X) || !Number(e.pairs[p.y], Y)) return;
    if (e.mirrored) X = -X;
    long double x = 0, y = 0;
    ToFit(X, Y, x, y);
    if (&p == &e.points.front()) x0 = x, y0 = y;
    p.position = filling_->x.size();
    filling_->x.push_back(x);
    filling_->y.push_back(y);
  }
  if (!e.points.empty() && (!e.vectors.empty() || !e.angles.empty() || !e.radii.empty())) {
    e.turn = filling_->turnAt.size();
    filling_->turnAt.emplace_back(x0, y0);
  }
  auto& kinds = result_.kinds;
  auto it = std::find_if(kinds.begin(), kinds.end(),
                         [&](const GisObjectKind& k) { return k.name == e.type; });
  if (it == kinds.end()) it = kinds.insert(kinds.end(), GisObjectKind{e.type, 0, 0});
  ++it->objects;
  it->positions += static_cast<long long>(e.points.size());
}

void DxfRewriter::Dispatch() {
  if (working_) {
    team_.Finish();
    Emit(*working_);
  }
  working_ = filling_;
  filling_ = working_ == &batches_[0] ? &batches_[1] : &batches_[0];
  Batch& b = *working_;
  const std::size_t n = b.x.size(), turns = b.turnAt.size();
  for (auto* v : {&b.X, &b.Y, &b.outside})
    v->resize(n);
  b.turns.resize(turns);
  // Positions first, then the turns: one job, each index its own.
  team_.Start(n + turns, 512, [this, &b, n](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      if (i < n) {
        TransformedPoint t;
        TransformPoint(fit_, b.x[i], b.y[i], t);
        b.X[i] = t.Xk;
        b.Y[i] = t.Yk;
        b.outside[i] = hull_.Distance(b.x[i], b.y[i]);
      } else if (i > n) {
        b.turns[i - n] = LocalTurnOfFit(fit_, b.turnAt[i - n].first, b.turnAt[i - n].second);
      }
    }
  });
}

void DxfRewriter::Flush() {
  Dispatch();
  team_.Finish();
  Emit(*working_);
  working_ = nullptr;
}

// The batch's entities with their new values, in order, and the figures of their positions.
void DxfRewriter::Emit(Batch& batch) {
  GisPositionFigures& f = result_.figures;
  for (std::size_t k = 0; k < batch.count; ++k) {
    Entity& e = batch.entities[k];
    const bool mirrored = e.mirrored;
    for (const Entity::Point& p : e.points) {
      const long double x = batch.X[p.position], y = batch.Y[p.position];
      long double X = northingFirst_ ? x : y, Y = northingFirst_ ? y : x;
      if (mirrored) X = -X;
      e.pairs[p.x].replaced = e.pairs[p.y].replaced = true;
      e.pairs[p.x].replacement = textio::Shortest(static_cast<double>(X));
      e.pairs[p.y].replacement = textio::Shortest(static_cast<double>(Y));
      const long double dx = x - batch.x[p.position], dy = y - batch.y[p.position];
      const long double shift = std::sqrt(dx * dx + dy * dy);
      f.largestShift = std::max(f.largestShift, shift);
      f.meanShift += shift;
      ++f.positions;
      if (batch.outside[p.position] > 0) {
        ++f.outsideHull;
        if (batch.outside[p.position] > f.farthestDistance) {
          f.farthestDistance = batch.outside[p.position];
          f.farthestOutside = e.handle;
        }
      }
    }
    if (e.turn) Turn(e, batch.turns[e.turn]);
    WriteEntity(e);
  }
  batch.Clear();
}

// The entity's angles, radii and vectors by the fit's turn and scale at its first point.
void DxfRewriter::Turn(Entity& e, const LocalTurn& turn) {
  GisPositionFigures& f = result_.figures;
  const bool mirrored = e.mirrored;
  f.largestRotation = std::max(f.largestRotation, std::fabs(turn.rotation));
  // The fit turns from northing towards easting; in the drawing's frame (X easting, Y
  // northing) that is clockwise, so counter-clockwise angles lose it; a mirrored OCS, or a
  // drawing held northing first, turns the other way.
  const long double turnDrawing = (northingFirst_ != mirrored ? 1 : -1) * turn.rotation;
  for (std::size_t k : e.angles) {
    long double angle = 0;
    Number(e.pairs[k], angle);
    const bool degrees = e.pairs[k].code != 50 || e.type != "MTEXT";
    long double turned = angle + (degrees ? turnDrawing / kDegree : turnDrawing);
    if (degrees && turned < 0) turned += 360;
    if (degrees && turned >= 360) turned -= 360;
    e.pairs[k].replaced = true;
    e.pairs[k].replacement = textio::Shortest(static_cast<double>(turned));
    f.largestTurn = std::max(f.largestTurn, std::fabs(turn.rotation));
  }
  for (std::size_t k : e.radii) {
    long double radius = 0;
    Number(e.pairs[k], radius);
    e.pairs[k].replaced = true;
    e.pairs[k].replacement = textio::Shortest(static_cast<double>(radius * turn.scale));
    f.largestRadiusChange =
        std::max(f.largestRadiusChange, std::fabs(radius * turn.scale - radius));
  }
  for (const Entity::Point& v : e.vectors) {
    long double X = 0, Y = 0;
    Number(e.pairs[v.x], X);
    Number(e.pairs[v.y], Y);
    const long double s = v.scaled ? turn.scale : 1;
    const long double c = std::cos(turnDrawing), n = std::sin(turnDrawing);
    e.pairs[v.x].replaced = e.pairs[v.y].replaced = true;
    e.pairs[v.x].replacement = textio::Shortest(static_cast<double>(s * (c * X - n * Y)));
    e.pairs[v.y].replacement = textio::Shortest(static_cast<double>(s * (n * X + c * Y)));
    f.largestTurn = std::max(f.largestTurn, std::fabs(turn.rotation));
  }
}

void DxfRewriter::WriteEntity(const Entity& e) {
  text_.clear();
  for (const Pair& p : e.pairs) {
    text_ += p.codeLine;
    text_ += p.replaced ? p.replacement : p.value;
    text_ += p.valueEnd;
  }
  sink_(text_);
}

// $EXTMIN and $EXTMAX: the box of their four corners through the fit, outward.
void DxfRewriter::CloseHeader() {
  Pair* corner[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};  // [min, max][X, Y]
  int variable = -1;
  for (Pair& p : header_) {
    if (p.code == 9) {
      const std::string name = Upper(Trimmed(p.value));
      variable = name == "$EXTMIN" ? 0 : name == "$EXTMAX" ? 1 : -1;
    } else if (variable >= 0 && (p.code == 10 || p.code == 20)) {
      corner[variable][p.code == 20] = &p;
    }
  }
  bool whole = true;
  long double value[2][2] = {};
  for (int m = 0; m < 2; ++m) {
    for (int a = 0; a < 2; ++a)
      whole = whole && corner[m][a] && Number(*corner[m][a], value[m][a]);
  }
  // An empty drawing's extents are the inverted box of ±1e20: nothing to carry.
  if (whole && value[0][0] <= value[1][0] && value[0][1] <= value[1][1]) {
    FitBox box;
    ToFit(value[0][0], value[0][1], box.xMin, box.yMin);
    ToFit(value[1][0], value[1][1], box.xMax, box.yMax);
    const FitBox through = BoxThroughFit(fit_, box);
    long double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    ToFit(through.xMin, through.yMin, X0, Y0);  // the same swap, either way
    ToFit(through.xMax, through.yMax, X1, Y1);
    const long double to[2][2] = {{X0, Y0}, {X1, Y1}};
    for (int m = 0; m < 2; ++m) {
      for (int a = 0; a < 2; ++a) {
        corner[m][a]->replaced = true;
        corner[m][a]->replacement = textio::Shortest(Outward(to[m][a], m == 1));
      }
    }
  }
  for (const Pair& p : header_)
    WritePair(p);
  header_.clear();
}

}  // namespace

bool IsDxfFile(const std::string& path) {
  std::string extension = textio::Utf8FromPath(textio::PathFromUtf8(path).extension());
  return Upper(extension) == ".DXF";
}

namespace {

MakeFeed DxfFeed(const TransformationResult& transformation, int threads, bool northingFirst) {
  return [&transformation, threads, northingFirst](ByteSink sink, GisFileResult& result) {
    auto rewriter = std::make_shared<DxfRewriter>(transformation, threads, northingFirst, result,
                                                  std::move(sink));
    return [rewriter](std::string_view bytes, bool last) { rewriter->Feed(bytes, last); };
  };
}

}  // namespace

std::string RewriteDxfBytes(std::string_view input, const TransformationResult& transformation,
                            bool northingFirst, GisFileResult& result, std::size_t chunk) {
  result.drawing = true;
  return RewriteBytesInPlace(input, chunk, result, DxfFeed(transformation, 1, northingFirst));
}

GisFileResult RewriteDxf(const GisJob& job, const TransformationResult& transformation) {
  return RewriteFileInPlace(job, transformation, true,
                            DxfFeed(transformation, job.threads, job.northingFirst));
}
