#include "inplace/GmlRewrite.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include "core/Threads.h"
#include "inplace/CoordinateText.h"
#include "inplace/FitGeometry.h"
#include "inplace/InPlaceProtocol.h"
#include "inplace/XmlEncodings.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "textio/Platform.h"
#include "textio/SystemReason.h"
#include "textio/TextFile.h"
#include "transform/FitZone.h"
#include "transform/TransformPoint.h"

namespace {

constexpr std::string_view kGml32 = "http://www.opengis.net/gml/3.2";
constexpr std::string_view kGml = "http://www.opengis.net/gml";
constexpr char kNameSeparator = '|';
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kBatchPositions = 1 << 14;
constexpr std::size_t kProblemsKept = 50;
constexpr long double kNorthingFrom = 4.5e6L, kNorthingTo = 6.5e6L;

// An element's name as expat gives it with namespace triplets: "uri|local|prefix".
struct Name {
  std::string_view uri, local, prefix;
};

Name SplitName(const XML_Char* name) {
  const std::string_view all(name);
  const std::size_t first = all.find(kNameSeparator);
  if (first == std::string_view::npos) return {{}, all, {}};
  const std::size_t second = all.find(kNameSeparator, first + 1);
  Name n;
  n.uri = all.substr(0, first);
  n.local = all.substr(first + 1, second == std::string_view::npos ? all.npos : second - first - 1);
  if (second != std::string_view::npos) n.prefix = all.substr(second + 1);
  return n;
}

bool IsGmlNamespace(std::string_view uri) {
  return uri == kGml32 || uri == kGml;
}

std::string Qualified(const Name& n) {
  std::string q(n.prefix);
  if (!q.empty()) q += ':';
  q += n.local;
  return q;
}

// What the axis order and the zone of a position are, from an srsName.
struct Srs {
  bool given = false;
  bool northingFirst = true;
  int epsg = 0;  // a "2000" zone; 0 when none is named
  bool foreign = false;
  std::string name;  // as written, for the messages
  std::string note;  // what the protocol says of the form
};

// The code after `prefix` in `text` when `text` is `prefix` and digits.
std::optional<int> CodeAfter(std::string_view text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix || text.size() == prefix.size()) return {};
  int code = 0;
  for (char c : text.substr(prefix.size())) {
    if (c < '0' || c > '9' || code > 100000) return {};
    code = code * 10 + (c - '0');
  }
  return code;
}

// urn:ogc:def:crs:EPSG:[version]:code, and the x-ogc form.
std::optional<int> UrnCode(std::string_view text) {
  for (std::string_view start : {"urn:ogc:def:crs:EPSG:", "urn:x-ogc:def:crs:EPSG:"}) {
    if (text.substr(0, start.size()) != start) continue;
    const std::size_t colon = text.rfind(':');
    return CodeAfter(text.substr(colon + 1), "");
  }
  return {};
}

Srs ClassifySrs(std::string_view name) {
  Srs s;
  s.given = true;
  s.name = std::string(name);
  std::optional<int> code = UrnCode(name);
  if (!code) code = CodeAfter(name, "http://www.opengis.net/def/crs/EPSG/0/");
  if (!code) code = CodeAfter(name, "https://www.opengis.net/def/crs/EPSG/0/");
  if (!code && (code = CodeAfter(name, "EPSG:"))) {
    s.note = "układ \"" + s.name +
             "\" zapisany bez osi: przyjęto północną pierwszą, jak zapisuje "
             "ewidencja";
  }
  if (!code && (code = CodeAfter(name, "http://www.opengis.net/gml/srs/epsg.xml#"))) {
    s.northingFirst = false;
    s.note = "układ \"" + s.name + "\" w zapisie GML 2: przyjęto wschodnią pierwszą";
  }
  if (code && *code >= 2176 && *code <= 2179) {
    s.epsg = *code;
  } else {
    s.foreign = true;
  }
  return s;
}

// Elements whose values are no positions: a circle's radius, an arc's angles, an offset
// curve's distance, a bulge, vectors. They cannot be carried through a fit exactly.
bool IsNonPositionValue(std::string_view local) {
  static constexpr std::string_view kNames[] = {
      "radius",         "startAngle",    "endAngle",    "distance",     "bulge",
      "normal",         "vectorAtStart", "vectorAtEnd", "refDirection", "offsetBase",
      "startParameter", "endParameter",  "scaleFactor", "coord"};
  return std::find(std::begin(kNames), std::end(kNames), local) != std::end(kNames);
}

enum class Role { Other, Member, Object, Coordinates, Box };

struct Frame {
  Role role = Role::Other;
  std::size_t srs = 0;      // index in the rewriter's srs table; 0: none given
  int dimension = 0;        // srsDimension; 0: not given
  std::size_t idFrame = 0;  // the frame with the nearest gml:id (its text in ids_), 0: none
  int kind = -1;            // the object kind it belongs to
  const char* name = "";    // coordinates: its name, for the messages
  char cs = ',', ts = ' ', mark = '.';
  std::uint64_t tagStart = 0, contentStart = 0;
  long line = 0, column = 0;  // of the start tag, 1-based
  int count = -1;             // posList's count attribute
  bool gml2 = false;          // gml:coordinates
  bool lower = false, upper = false;
  bool ownSrs = false;  // its srsName is the top of the srs stack
};

// One coordinate element waiting for its batch: where its content lies, its numbers
// (offsets absolute) and what each one is.
struct Pending {
  std::uint64_t begin = 0, end = 0;
  char mark = '.';
  struct Number {
    CoordinateNumber text;
    int axis = 2;  // 0: the position's x (northing), 1: its y, 2: kept as written
    std::size_t position = 0;
    long double boxValue = 0;  // a box corner's value, rounded outward: up for the upper
    bool up = false;
  };
  std::size_t first = 0, count = 0;  // its numbers in the batch's
  std::size_t id = 0, idSize = 0;    // the object's gml:id in the batch's ids
  bool box = false;                  // a box corner: its values are given, rounded outward
  long double boxX = 0, boxY = 0;
  bool boxUp = false;
};

// The positions of a batch through the fit, on a WorkTeam.
struct Batch {
  std::vector<long double> x, y, X, Y, shift, outside, rotation;
  std::vector<char> turn;  // the local rotation is taken at the first position of an element
  std::vector<Pending> pending;
  std::vector<Pending::Number> numbers;
  std::string ids;
  std::size_t Count() const { return x.size(); }
  void Clear() {
    for (auto* v : {&x, &y, &X, &Y, &shift, &outside, &rotation})
      v->clear();
    turn.clear();
    pending.clear();
    numbers.clear();
    ids.clear();
  }
};

class GmlRewriter {
 public:
  using Sink = std::function<void(std::string_view)>;

  GmlRewriter(const TransformationResult& t, int threads, GisFileResult& result, Sink sink)
      : fit_(t.FittedTransformation),
        hull_(t.FittedTransformation),
        team_(ThreadsFor(threads)),
        result_(result),
        sink_(std::move(sink)) {
    bool mixed = false;
    fitZone_ = ZoneOfFit(fit_, mixed);
    srs_.emplace_back();  // none given
    parser_ = XML_ParserCreateNS(nullptr, kNameSeparator);
    XML_SetReturnNSTriplet(parser_, 1);
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &GmlRewriter::OnStart, &GmlRewriter::OnEnd);
    XML_SetUnknownEncodingHandler(parser_, &PolishEncodingHandler, nullptr);
  }
  ~GmlRewriter() {
    if (working_) team_.Finish();  // the team may still hold a batch
    XML_ParserFree(parser_);
  }
  GmlRewriter(const GmlRewriter&) = delete;
  GmlRewriter& operator=(const GmlRewriter&) = delete;

  // Feeds the next bytes of the file; `last` with the final ones.
  void Feed(std::string_view bytes, bool last);

 private:
  static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** atts) {
    static_cast<GmlRewriter*>(self)->Start(name, atts);
  }
  static void XMLCALL OnEnd(void* self, const XML_Char* name) {
    static_cast<GmlRewriter*>(self)->End(name);
  }
  void Start(const XML_Char* name, const XML_Char** atts);
  void End(const XML_Char* name);
  void Attributes(Frame& frame, const XML_Char** atts, const Name& element);
  void Coordinates(const Frame& frame, std::uint64_t end);
  bool CheckPosition(const Frame& frame, const Srs& srs, long double x, long double y,
                     std::size_t at);
  void CloseBox(const Frame& frame);
  void Dispatch();
  void Emit(Batch& batch);
  void Write(std::uint64_t upTo);
  void Trim();
  void Problem(std::string text);
  void Note(const std::string& text);  // once
  void ProblemAt(const Frame& frame, std::uint64_t at, const std::string& text);
  std::string Where(const Frame& frame, std::uint64_t at) const;
  std::uint64_t Absolute(XML_Index index) const;
  std::uint64_t EventStart() const { return Absolute(XML_GetCurrentByteIndex(parser_)); }
  std::uint64_t EventEnd() const { return EventStart() + XML_GetCurrentByteCount(parser_); }
  std::string_view Bytes(std::uint64_t from, std::uint64_t to) const {
    return std::string_view(window_).substr(from - base_, to - from);
  }
  void ParserFailure();

  const TFittedTransformation& fit_;
  AdjustmentHull hull_;
  WorkTeam team_;
  GisFileResult& result_;
  Sink sink_;
  XML_Parser parser_ = nullptr;
  int fitZone_ = 0;
  std::vector<Srs> srs_;
  std::vector<Frame> frames_;
  std::vector<std::string> ids_;  // the gml:id of the frame of the same index
  std::vector<CoordinateNumber> scanned_;
  std::vector<std::size_t> starts_;
  bool rootSeen_ = false, failed_ = false, broken_ = false;
  long long problems_ = 0;
  int boxes_ = 0;  // open gml:Envelope or gml:Box elements
  struct BoxCorner {
    std::size_t pending, number;  // in filling_.pending, its first number
    long double x, y;
    bool upper;
  };
  std::vector<BoxCorner> corners_;
  std::string window_;  // the input from base_ on
  std::uint64_t base_ = 0, fed_ = 0, copied_ = 0, settled_ = 0;
  std::array<Batch, 2> batches_;
  Batch* filling_ = &batches_[0];
  Batch* working_ = nullptr;  // on the team
};

std::uint64_t GmlRewriter::Absolute(XML_Index index) const {
  // XML_Index may be 32 bits wide (Windows): the event lies within the bytes fed last.
  const auto low = static_cast<std::uint32_t>(index);
  const auto behind = static_cast<std::uint32_t>(static_cast<std::uint32_t>(fed_) - low);
  return fed_ - behind;
}

std::string GmlRewriter::Where(const Frame& frame, std::uint64_t at) const {
  long line = frame.line, column = frame.column;
  if (at >= frame.tagStart && at - base_ <= window_.size() && frame.tagStart >= base_) {
    for (char c : Bytes(frame.tagStart, at)) {
      if (c == '\n') {
        ++line;
        column = 1;
      } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
        ++column;
      }
    }
  }
  std::string where = "wiersz " + std::to_string(line) + ", kolumna " + std::to_string(column);
  if (frame.idFrame) where += " (gml:id " + ids_[frame.idFrame] + ")";
  return where;
}

void GmlRewriter::Problem(std::string text) {
  failed_ = true;
  if (++problems_ <= static_cast<long long>(kProblemsKept))
    result_.problems.push_back(std::move(text));
}

void GmlRewriter::Note(const std::string& text) {
  constexpr std::size_t kNotesKept = 20;
  if (result_.notes.size() < kNotesKept &&
      std::find(result_.notes.begin(), result_.notes.end(), text) == result_.notes.end())
    result_.notes.push_back(text);
}

void GmlRewriter::ProblemAt(const Frame& frame, std::uint64_t at, const std::string& text) {
  Problem(Where(frame, at) + ": " + text);
}

void GmlRewriter::Attributes(Frame& frame, const XML_Char** atts, const Name& element) {
  for (const XML_Char** a = atts; *a; a += 2) {
    const Name n = SplitName(a[0]);
    const std::string_view value(a[1]);
    if (n.local == "id" && IsGmlNamespace(n.uri)) {
      if (ids_.size() <= frames_.size()) ids_.resize(frames_.size() + 1);
      ids_[frames_.size()].assign(value);
      frame.idFrame = frames_.size();
    } else if (!n.uri.empty()) {
      continue;
    } else if (n.local == "srsName") {
      // A stack beside the frames': an element's own system goes with it.
      // An empty srsName names no system: as if there were none.
      const Srs& parent = srs_[frame.srs];
      srs_.push_back(value.empty()                          ? Srs{}
                     : parent.given && value == parent.name ? parent
                                                            : ClassifySrs(value));
      frame.srs = srs_.size() - 1;
      frame.ownSrs = true;
      if (!srs_.back().note.empty()) Note(srs_.back().note);
    } else if (n.local == "srsDimension") {
      frame.dimension = std::atoi(std::string(value).c_str());
    } else if (n.local == "count" && element.local == "posList") {
      frame.count = std::atoi(std::string(value).c_str());
    } else if (frame.gml2 && value.size() == 1) {
      if (n.local == "cs") frame.cs = value[0];
      if (n.local == "ts") frame.ts = value[0];
      if (n.local == "decimal") frame.mark = value[0];
    }
  }
}

void GmlRewriter::Start(const XML_Char* name, const XML_Char** atts) {
  const Name n = SplitName(name);
  if (!rootSeen_) {
    rootSeen_ = true;
    frames_.emplace_back();  // above the root: nothing given
    if (!IsGmlNamespace(n.uri) || n.local != "FeatureCollection")
      Problem("element główny " + Qualified(n) + " nie jest kolekcją obiektów GML");
  }
  Frame frame;
  const Frame& parent = frames_.back();
  frame.srs = parent.srs;
  frame.dimension = parent.dimension;
  frame.idFrame = parent.idFrame;
  frame.kind = parent.kind;
  frame.tagStart = EventStart();
  frame.line = static_cast<long>(XML_GetCurrentLineNumber(parser_));
  frame.column = static_cast<long>(XML_GetCurrentColumnNumber(parser_)) + 1;
  const bool gml = IsGmlNamespace(n.uri);
  frame.gml2 = gml && n.local == "coordinates";
  Attributes(frame, atts, n);
  if (parent.role == Role::Coordinates) {
    ProblemAt(frame, frame.tagStart, "element " + Qualified(n) + " wewnątrz współrzędnych");
  }
  if (parent.role == Role::Member) {
    frame.role = Role::Object;
    const std::string kind = Qualified(n);
    auto& kinds = result_.kinds;
    auto it = std::find_if(kinds.begin(), kinds.end(),
                           [&](const GisObjectKind& k) { return k.name == kind; });
    if (it == kinds.end()) it = kinds.insert(kinds.end(), GisObjectKind{kind, 0, 0});
    ++it->objects;
    frame.kind = static_cast<int>(it - kinds.begin());
  } else if (gml &&
             (n.local == "featureMember" || n.local == "featureMembers" || n.local == "member")) {
    frame.role = Role::Member;
  } else if (gml && (n.local == "pos" || n.local == "posList" || n.local == "coordinates" ||
                     n.local == "lowerCorner" || n.local == "upperCorner")) {
    frame.role = Role::Coordinates;
    frame.name = n.local == "pos"           ? "gml:pos"
                 : n.local == "posList"     ? "gml:posList"
                 : n.local == "coordinates" ? "gml:coordinates"
                 : n.local == "lowerCorner" ? "gml:lowerCorner"
                                            : "gml:upperCorner";
    frame.contentStart = EventEnd();
    frame.lower = n.local == "lowerCorner";
    frame.upper = n.local == "upperCorner";
  } else if (gml && (n.local == "Envelope" || n.local == "Box")) {
    frame.role = Role::Box;
    ++boxes_;
  } else if (gml && IsNonPositionValue(n.local)) {
    ProblemAt(frame, frame.tagStart,
              Qualified(n) +
                  ": wartość geometrii, która nie jest pozycją, nie może być "
                  "przeliczona dokładnie");
  }
  if (n.local == "katObrotu") ++result_.figures.angles;
  frames_.push_back(frame);
  settled_ = std::max(settled_, EventEnd());
}

void GmlRewriter::End(const XML_Char*) {
  const Frame& frame = frames_.back();
  // An empty element's end is reported at its start tag.
  const std::uint64_t end = std::max(EventStart(), frame.contentStart);
  if (frame.role == Role::Coordinates) Coordinates(frame, end);
  if (frame.role == Role::Box) {
    if (!failed_) CloseBox(frame);
    corners_.clear();
    --boxes_;
  }
  if (frame.ownSrs) srs_.pop_back();
  frames_.pop_back();
  settled_ = std::max(settled_, EventEnd());
  if (!failed_ && boxes_ == 0 && filling_->Count() >= kBatchPositions) Dispatch();
}

bool GmlRewriter::CheckPosition(const Frame& frame, const Srs& srs, long double x, long double y,
                                std::size_t at) {
  // The "2000" zones' northings run from about 5.0e6 to 6.1e6 m: anything far outside is no
  // position of this system (or a number typed wrong), and the fit would carry it anywhere.
  if (!(x >= kNorthingFrom && x <= kNorthingTo)) {
    std::string text = "pozycja poza obszarem układu \"2000\" (północna ";
    textio::AppendFixed(text, x, 0, 2);
    ProblemAt(frame, at, text + ")");
    return false;
  }
  const int zone = ZoneOfEasting(y);
  const int expected = srs.epsg ? srs.epsg : fitZone_;
  const bool otherFit = srs.epsg && fitZone_ && srs.epsg != fitZone_;
  if (expected == 0 || (zone == expected && !otherFit)) return true;
  std::string text = "pozycja nie leży w strefie EPSG:" + std::to_string(expected) + " (";
  text += srs.epsg ? "układ \"" + srs.name + "\"" : std::string("strefa transformacji");
  text += srs.northingFirst ? ", północna " : ", wschodnia ";
  textio::AppendFixed(text, srs.northingFirst ? x : y, 0, 2);
  text += srs.northingFirst ? ", wschodnia " : ", północna ";
  textio::AppendFixed(text, srs.northingFirst ? y : x, 0, 2);
  if (otherFit) {
    text += "; transformacja należy do strefy EPSG:" + std::to_string(fitZone_);
  }
  ProblemAt(frame, at, text + ")");
  return false;
}

void GmlRewriter::Coordinates(const Frame& frame, std::uint64_t end) {
  if (frame.contentStart < base_) return;  // after a problem: its bytes are gone
  const std::string_view text = Bytes(frame.contentStart, end);
  if (text.find_first_of("<&") != std::string_view::npos) {
    ProblemAt(frame, frame.contentStart,
              std::string(frame.name) +
                  " z komentarzem, sekcją CDATA lub odwołaniem do znaku: "
                  "nie można go przepisać bez zmiany");
    return;
  }
  const Srs& srs = srs_[frame.srs];
  if (!srs.given) Note("pozycje bez układu odniesienia (srsName): przyjęto północną pierwszą");
  if (srs.foreign) {
    ProblemAt(frame, frame.contentStart,
              "układ odniesienia \"" + srs.name +
                  "\" nie jest układem \"2000\": transformacja przebiegu należy do układu "
                  "\"2000\"");
    return;
  }
  std::string separators(kXmlSpace);
  if (frame.gml2) separators += std::string{frame.cs, frame.ts};
  std::vector<CoordinateNumber>& numbers = scanned_;
  std::size_t bad = 0;
  std::string token;
  if (!ScanCoordinateNumbers(text, separators, frame.gml2 ? frame.mark : '.', numbers, bad,
                             token)) {
    ProblemAt(frame, frame.contentStart + bad, "nie można odczytać liczby \"" + token + "\"");
    return;
  }
  // A tuple of gml:coordinates ends where the text between two numbers holds no cs.
  std::vector<std::size_t>& starts = starts_;  // the first number of each position
  starts.clear();
  int dimension = frame.dimension > 0 ? frame.dimension : 2;
  if (frame.gml2) {
    for (std::size_t k = 0; k < numbers.size(); ++k) {
      const std::string_view between =
          k ? text.substr(numbers[k - 1].end, numbers[k].begin - numbers[k - 1].end) : "";
      if (k == 0 || between.find(frame.cs) == std::string_view::npos) starts.push_back(k);
    }
    if (!starts.empty() && frame.dimension == 0)
      dimension = static_cast<int>((starts.size() > 1 ? starts[1] : numbers.size()) - starts[0]);
  } else {
    for (std::size_t k = 0; k < numbers.size(); k += dimension)
      starts.push_back(k);
  }
  bool shaped = !numbers.empty() && (dimension == 2 || dimension == 3);
  for (std::size_t p = 0; shaped && p < starts.size(); ++p) {
    const std::size_t next = p + 1 < starts.size() ? starts[p + 1] : numbers.size();
    shaped = next - starts[p] == static_cast<std::size_t>(dimension);
  }
  const bool single = std::string_view(frame.name) != "gml:posList" && !frame.gml2;
  if (single && starts.size() != 1) shaped = false;
  if (frame.count >= 0 && static_cast<std::size_t>(frame.count) != starts.size()) shaped = false;
  if (!shaped) {
    ProblemAt(frame, frame.contentStart,
              std::string(frame.name) + ": " + std::to_string(numbers.size()) +
                  " liczb nie składa się na pozycje o wymiarze " + std::to_string(dimension) +
                  (frame.count >= 0 ? " w liczbie " + std::to_string(frame.count) : ""));
    return;
  }
  if (failed_) return;  // an earlier problem: the checks go on, the rewrite does not
  Pending pending;
  pending.begin = frame.contentStart;
  pending.end = end;
  pending.mark = frame.gml2 ? frame.mark : '.';
  Batch& batch = *filling_;
  pending.first = batch.numbers.size();
  if (frame.idFrame) {
    pending.id = batch.ids.size();
    pending.idSize = ids_[frame.idFrame].size();
    batch.ids += ids_[frame.idFrame];
  }
  for (std::size_t p = 0; p < starts.size(); ++p) {
    const CoordinateNumber& a = numbers[starts[p]];
    const CoordinateNumber& b = numbers[starts[p] + 1];
    const long double x = srs.northingFirst ? a.value : b.value;
    const long double y = srs.northingFirst ? b.value : a.value;
    if (!CheckPosition(frame, srs, x, y, frame.contentStart + a.begin)) return;
    const std::size_t first = batch.numbers.size() - pending.first;
    for (std::size_t k = starts[p]; k < starts[p] + dimension; ++k) {
      Pending::Number number{numbers[k], 2, boxes_ > 0 ? p : batch.Count()};
      number.text.begin += frame.contentStart;
      number.text.end += frame.contentStart;
      if (k - starts[p] < 2) number.axis = (k - starts[p] == 0) == srs.northingFirst ? 0 : 1;
      batch.numbers.push_back(number);
    }
    if (boxes_ > 0) {
      const bool lower = frame.lower || (!frame.upper && p == 0 && corners_.empty());
      corners_.push_back({batch.pending.size(), first, x, y, !lower});
    } else {
      batch.turn.push_back(p == 0);
      batch.x.push_back(x);
      batch.y.push_back(y);
    }
  }
  if (frame.kind >= 0 && boxes_ == 0) result_.kinds[frame.kind].positions += starts.size();
  pending.count = batch.numbers.size() - pending.first;
  pending.box = boxes_ > 0;
  batch.pending.push_back(pending);
}

// The corners of a box through the fit: the box of its four corners, rounded outward by
// each number's own decimals when written.
void GmlRewriter::CloseBox(const Frame& frame) {
  if (corners_.empty()) return;
  FitBox box{INFINITY, INFINITY, -INFINITY, -INFINITY};
  for (const BoxCorner& c : corners_) {
    box.xMin = std::min(box.xMin, c.x);
    box.yMin = std::min(box.yMin, c.y);
    box.xMax = std::max(box.xMax, c.x);
    box.yMax = std::max(box.yMax, c.y);
  }
  const FitBox through = BoxThroughFit(fit_, box);
  int lowers = 0, uppers = 0;
  for (const BoxCorner& c : corners_) {
    const Pending& p = filling_->pending[c.pending];
    Pending::Number* numbers = filling_->numbers.data() + p.first;
    for (std::size_t k = c.number; k < p.count && k < c.number + 3; ++k) {
      Pending::Number& n = numbers[k];
      if (n.position != numbers[c.number].position || n.axis == 2) continue;
      n.up = c.upper;
      n.boxValue = n.axis == 0 ? (c.upper ? through.xMax : through.xMin)
                               : (c.upper ? through.yMax : through.yMin);
    }
    (c.upper ? uppers : lowers) += 1;
  }
  if (lowers != 1 || uppers != 1) {
    ProblemAt(frame, frame.tagStart,
              "prostokąt ograniczający bez jednego dolnego i jednego "
              "górnego narożnika");
  }
  corners_.clear();
}

void GmlRewriter::Dispatch() {
  if (working_) {
    team_.Finish();
    Emit(*working_);
  }
  working_ = filling_;
  filling_ = working_ == &batches_[0] ? &batches_[1] : &batches_[0];
  filling_->Clear();
  Batch& b = *working_;
  const std::size_t n = b.Count();
  for (auto* v : {&b.X, &b.Y, &b.shift, &b.outside, &b.rotation})
    v->resize(n);
  team_.Start(n, 1024, [this, &b](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      TransformedPoint t;
      TransformPoint(fit_, b.x[i], b.y[i], t);
      b.X[i] = t.Xk;
      b.Y[i] = t.Yk;
      // Centimetres to decimetres: no scaling of hypot needed.
      const long double dx = t.Xk - b.x[i], dy = t.Yk - b.y[i];
      b.shift[i] = std::sqrt(dx * dx + dy * dy);
      b.outside[i] = hull_.Distance(b.x[i], b.y[i]);
      b.rotation[i] = b.turn[i] ? std::fabs(LocalTurnOfFit(fit_, b.x[i], b.y[i]).rotation) : 0;
    }
  });
}

void GmlRewriter::Write(std::uint64_t upTo) {
  if (upTo > copied_) sink_(Bytes(copied_, upTo));
  copied_ = std::max(copied_, upTo);
}

// The batch's elements with their new numbers, and the figures of its positions.
void GmlRewriter::Emit(Batch& batch) {
  GisPositionFigures& f = result_.figures;
  std::string text;
  for (const Pending& p : batch.pending) {
    Write(p.begin);
    text.clear();
    std::uint64_t at = p.begin;
    const Pending::Number* numbers = batch.numbers.data() + p.first;
    for (const Pending::Number* n = numbers; n != numbers + p.count; ++n) {
      text += Bytes(at, n->text.begin);
      at = n->text.end;
      if (n->axis == 2) {
        text += Bytes(n->text.begin, n->text.end);
      } else if (p.box) {
        AppendCoordinateOutward(text, n->boxValue, n->text, p.mark, n->up);
      } else {
        const long double v = n->axis == 0 ? batch.X[n->position] : batch.Y[n->position];
        AppendCoordinate(text, v, n->text, p.mark);
      }
    }
    text += Bytes(at, p.end);
    sink_(text);
    copied_ = p.end;
    if (p.box || p.count == 0) continue;
    const std::size_t from = numbers[0].position, to = numbers[p.count - 1].position;
    for (std::size_t i = from; i <= to; ++i) {
      f.largestShift = std::max(f.largestShift, batch.shift[i]);
      f.meanShift += batch.shift[i];  // a sum until the end
      f.largestRotation = std::max(f.largestRotation, batch.rotation[i]);
      if (batch.outside[i] > 0) {
        ++f.outsideHull;
        if (batch.outside[i] > f.farthestDistance) {
          f.farthestDistance = batch.outside[i];
          f.farthestOutside = batch.ids.substr(p.id, p.idSize);
        }
      }
    }
    f.positions += to - from + 1;
  }
  batch.Clear();
  Trim();
}

void GmlRewriter::Trim() {
  if (copied_ - base_ < kChunk) return;
  window_.erase(0, copied_ - base_);
  base_ = copied_;
}

void GmlRewriter::ParserFailure() {
  const XML_Error code = XML_GetErrorCode(parser_);
  std::string reason;
  switch (code) {
    case XML_ERROR_SYNTAX:
      reason = "błąd składni";
      break;
    case XML_ERROR_NO_ELEMENTS:
      reason = "brak elementów";
      break;
    case XML_ERROR_INVALID_TOKEN:
      reason = "niepoprawny znak lub znacznik";
      break;
    case XML_ERROR_UNCLOSED_TOKEN:
      reason = "niedokończony znacznik";
      break;
    case XML_ERROR_PARTIAL_CHAR:
      reason = "niedokończony znak";
      break;
    case XML_ERROR_TAG_MISMATCH:
      reason = "znacznik zamykający nie pasuje do otwierającego";
      break;
    case XML_ERROR_DUPLICATE_ATTRIBUTE:
      reason = "powtórzony atrybut";
      break;
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT:
      reason = "dane po elemencie głównym";
      break;
    case XML_ERROR_UNDEFINED_ENTITY:
      reason = "nieznana encja";
      break;
    case XML_ERROR_UNKNOWN_ENCODING:
      reason = "nieznane kodowanie";
      break;
    case XML_ERROR_INCORRECT_ENCODING:
      reason = "bajty niezgodne z zadeklarowanym kodowaniem";
      break;
    case XML_ERROR_UNBOUND_PREFIX:
      reason = "przedrostek bez przestrzeni nazw";
      break;
    case XML_ERROR_UNCLOSED_CDATA_SECTION:
      reason = "niezamknięta sekcja CDATA";
      break;
    default:
      reason = std::string("błąd XML: ") + XML_ErrorString(code);
  }
  Problem("plik nie jest poprawnym XML: " + reason + " (wiersz " +
          std::to_string(XML_GetCurrentLineNumber(parser_)) + ", kolumna " +
          std::to_string(XML_GetCurrentColumnNumber(parser_) + 1) + ")");
}

void GmlRewriter::Feed(std::string_view bytes, bool last) {
  if (fed_ == 0 && bytes.size() >= 2 &&
      ((bytes[0] == '\xFE' && bytes[1] == '\xFF') || (bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
       bytes[0] == '\0' || bytes[1] == '\0')) {
    Problem(
        "plik w kodowaniu UTF-16: przepisywany w miejscu może być tylko plik o kodowaniu "
        "jednobajtowym lub UTF-8");
    broken_ = true;
    return;
  }
  if (broken_) return;
  window_.append(bytes);
  fed_ += bytes.size();
  if (XML_Parse(parser_, bytes.data(), static_cast<int>(bytes.size()), last) != XML_STATUS_OK) {
    ParserFailure();
    broken_ = true;
  }
  if (last || broken_) {
    if (!rootSeen_ && !broken_) Problem("plik nie zawiera elementów XML");
    if (problems_ > static_cast<long long>(kProblemsKept)) {
      result_.problems.push_back("i dalszych problemów: " +
                                 std::to_string(problems_ - kProblemsKept));
    }
  }
  if (failed_) {
    // Nothing more is written: only an open coordinate element's bytes are kept, for its
    // checks.
    const bool open = !frames_.empty() && frames_.back().role == Role::Coordinates;
    const std::uint64_t keep = open ? std::max(frames_.back().contentStart, base_) : fed_;
    window_.erase(0, keep - base_);
    base_ = copied_ = keep;
    batches_[0].Clear();
    batches_[1].Clear();
    if (working_) team_.Finish();
    working_ = nullptr;
    return;
  }
  if (last) {
    if (working_) {
      team_.Finish();
      Emit(*working_);
      working_ = nullptr;
    }
    if (filling_->Count() > 0 || !filling_->pending.empty()) {
      Dispatch();
      team_.Finish();
      Emit(*working_);
      working_ = nullptr;
    }
    Write(fed_);
    GisPositionFigures& f = result_.figures;
    if (f.positions > 0) f.meanShift /= static_cast<long double>(f.positions);
    return;
  }
  // Bytes no waiting element needs go out at once.
  if (!working_ && filling_->pending.empty() &&
      (frames_.empty() || frames_.back().role != Role::Coordinates) && boxes_ == 0) {
    Write(settled_);
    Trim();
  }
}

}  // namespace

bool IsGmlFeatureCollection(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(textio::OpenStream(path, "rb"),
                                                       &std::fclose);
  if (!file) return false;
  struct Root {
    bool seen = false, gml = false;
  } root;
  XML_Parser parser = XML_ParserCreateNS(nullptr, kNameSeparator);
  XML_SetUserData(parser, &root);
  XML_SetUnknownEncodingHandler(parser, &PolishEncodingHandler, nullptr);
  XML_SetStartElementHandler(parser, [](void* data, const XML_Char* name, const XML_Char**) {
    auto* r = static_cast<Root*>(data);
    if (r->seen) return;  // the root only; the rest of the buffer follows in the same call
    const Name n = SplitName(name);
    r->seen = true;
    r->gml = IsGmlNamespace(n.uri) && n.local == "FeatureCollection";
  });
  // The root is near the start; a prolog of more than 1 MB is no GML file of the register.
  char buffer[16384];
  for (std::size_t read = 0; !root.seen && read < kChunk;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    if (n == 0) break;
    read += n;
    if (XML_Parse(parser, buffer, static_cast<int>(n), XML_FALSE) != XML_STATUS_OK && !root.seen) {
      break;
    }
  }
  XML_ParserFree(parser);
  return root.gml;
}

namespace {

MakeFeed GmlFeed(const TransformationResult& transformation, int threads) {
  return [&transformation, threads](ByteSink sink, GisFileResult& result) {
    auto rewriter = std::make_shared<GmlRewriter>(transformation, threads, result, std::move(sink));
    return [rewriter](std::string_view bytes, bool last) { rewriter->Feed(bytes, last); };
  };
}

}  // namespace

std::string RewriteGmlBytes(std::string_view input, const TransformationResult& transformation,
                            GisFileResult& result, std::size_t chunk) {
  return RewriteBytesInPlace(input, chunk, result, GmlFeed(transformation, 1));
}

GisFileResult RewriteGml(const GisJob& job, const TransformationResult& transformation) {
  return RewriteFileInPlace(job, transformation, false, GmlFeed(transformation, job.threads));
}
