#include "convert/ParcelFile.h"

#include <array>
#include <cmath>
#include <vector>

#include "convert/MapFileTask.h"
#include "convert/PairBatch.h"
#include "convert/ParcelArea.h"
#include "convert/ParcelHeader.h"
#include "convert/ParcelIndex.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/TextScanner.h"

namespace {

using textio::AppendFixed;
using textio::AppendInteger;
using textio::Utf8ToCp1250;

struct KindTexts {
  const char* title;
  const char* sumsHeading;
  const char* startStatus;
  const char* recordWord;
  const char* countLine;
  Counter unit, groups, records, area;
  MapFile file;
};

const KindTexts kParcelTexts = {" Diagnostyka zbioru DZIALKI.edz",
                                " Sumy częściowe powierzchni dla grup działek lub obrębów",
                                " Czytam DZIALKI.edz - proszę czekac",
                                " Działka: ",
                                " Liczba działek w pliku    DZIALKI.edz = ",
                                Counter::ParcelUnit,
                                Counter::ParcelPrecincts,
                                Counter::Parcels,
                                Counter::ParcelArea,
                                MapFile::Parcels};
const KindTexts kContourTexts = {" Diagnostyka zbioru KONTURY.edz",
                                 " Sumy częściowe powierzchni dla grup konturów lub obrębów",
                                 " Czytam KONTURY.edz - proszę czekac",
                                 " Kontur: ",
                                 " Liczba konturów w pliku   KONTURY.edz = ",
                                 Counter::ContourUnit,
                                 Counter::ContourPrecincts,
                                 Counter::Contours,
                                 Counter::ContourArea,
                                 MapFile::Contours};

const std::string kUnderscores(62, '_');
constexpr int kPairWidth = 18;
// The reduced area is the area plus the area times this coefficient.
constexpr long double kReductionCoefficient = 0;

// A number of a record or vertex line: its value, or the token that could not be read
// ("?" when the file ended before it).
struct Field {
  long double value = 0;
  bool ok = true;
  std::string text;
};

constexpr std::size_t kNoPair = static_cast<std::size_t>(-1);

// A line of two pairs as read: the four numbers, the pairs' indexes in the batch (kNoPair
// when a number of the pair did not read), the rest of the line after them.
struct PairLine {
  std::string label;  // a vertex line's first 20 characters
  std::array<Field, 4> fields;
  std::array<std::size_t, 2> pairs{kNoPair, kNoPair};
  std::string rest;
};

// An input line that starts no record (written as a blank), or a record as read: header,
// record line, count line and vertex lines. A record with more vertex lines than a batch
// holds comes in pieces: the first with its header, the others (continuations) with
// vertex lines only; so memory does not grow with a record's length.
struct ParcelItem {
  bool record = false;
  bool continuation = false;
  bool ends = true;  // the record's last vertex line is in this item
  std::string headerLine;
  ParcelHeader header;
  PairLine recordLine;
  std::string countText;  // the count as written, or its token ("?" at the end of the file)
  std::vector<PairLine> vertices;
  std::size_t vertexCount = 0;
  bool numericError = false;
};

// Items are read one after another (numbers may continue on the next line), the pairs of a
// batch transformed together, and each batch written in input order while the next one is
// transformed: the events and files come out as from a pass record by record.
struct ParcelBatch {
  std::vector<ParcelItem> items;
  std::size_t count = 0;
  PairBatch pairs;
};

struct PrecinctGroup {
  int ordinal = 0;
  PrecinctCode code = PrecinctCode::Of("000");
  int count = 0;
  long double area = 0, reducedArea = 0;
};

// The three files of a pass.
struct ParcelOutputs {
  textio::TextFileWriter converted, protocol, index;
};

class ParcelPass {
 public:
  ParcelPass(const KindTexts& texts, TaskContext& context)
      : texts_(texts), context_(context), events_(context.events), table_(context.tables.parcels) {}

  TaskResult Run();

 private:
  void Read(ParcelBatch& batch);
  void ReadRecord(ParcelItem& item, PairBatch& pairs);
  void ReadVertices(ParcelItem& item, PairBatch& pairs);
  bool ReadPairLine(PairLine& line, PairBatch& pairs);
  void Write(const ParcelBatch& batch);
  void WriteRecord(const ParcelItem& item, const PairBatch& pairs);
  void Group(const PrecinctCode& code);
  void CloseGroupLine(bool last);
  void ReportDefect(const PrecinctCode& code);
  void ReportNumericError(const std::array<Field, 4>& record);
  // Appends a line's pair in 18 columns each: transformed when both numbers were read (then
  // true, with X, Y), else the tokens as they stood.
  bool AppendPair(std::string& line, const PairLine& source, int k, const PairBatch& pairs,
                  long double& X, long double& Y);

  void CreateOutputs();
  void Summary();
  void CloseOutputs();

  const KindTexts& texts_;
  TaskContext& context_;
  RunEvents& events_;
  std::vector<ParcelEntry>& table_;
  ParcelOutputs out_;
  TaskResult result_;
  textio::TextScanner in_;
  bool more_ = true;
  std::int32_t vertexLinesLeft_ = 0;  // of the record being read, beyond the current batch
  // The record being written: its record line, whether a piece had a numeric error, and the
  // boundary vertices stored so far.
  std::array<Field, 4> recordFields_;
  bool recordError_ = false;
  int stored_ = 0;
  PrecinctGroup group_;
  // The two counters of the protocol: g_ the precinct groups begun so far (the number of the
  // current one; 0 before the first record, when the unit line is still to be written), n_
  // the records begun so far (the index of the current one in the parcel table, from 1).
  int g_ = 0, n_ = 0;
  // The registration unit of the first record, as its counter shows it; empty when the file
  // has no record. The index heads with it.
  std::string unit_;
  long double totalArea_ = 0, totalReduced_ = 0;
  BoundaryRing ring_;
  std::string line_, status_;
};

// Reads the four numbers of the current line (and the lines after it, if they run short),
// adding the pairs that read to the batch; false when a number did not read.
bool ParcelPass::ReadPairLine(PairLine& line, PairBatch& pairs) {
  bool ok = true;
  for (Field& f : line.fields) {
    f.ok = true;
    f.text.clear();
    const auto read = in_.Number(f.value);
    if (read == textio::TextScanner::Read::Ok) continue;
    f.ok = false;
    f.value = 0;
    f.text = read == textio::TextScanner::Read::End ? "?" : std::string(in_.LastToken());
    ok = false;
  }
  for (int k = 0; k < 2; ++k) {
    const Field &x = line.fields[2 * k], &y = line.fields[2 * k + 1];
    line.pairs[k] = x.ok && y.ok ? pairs.Add(x.value, y.value) : kNoPair;
  }
  line.rest.assign(in_.Rest());
  return ok;
}

void ParcelPass::ReadRecord(ParcelItem& item, PairBatch& pairs) {
  item.numericError = false;
  // Record line: two pairs, the second being the record's centroid.
  in_.NextLine();
  if (!ReadPairLine(item.recordLine, pairs)) item.numericError = true;
  // Count line: only the count is kept.
  std::int32_t k = 0;
  in_.NextLine();
  if (in_.Integer(k) != textio::TextScanner::Read::Ok) {
    item.numericError = true;
    item.countText = in_.LastToken().empty() ? "?" : std::string(in_.LastToken());
    k = 0;
  } else {
    item.countText = std::to_string(k);
  }
  vertexLinesLeft_ = k;
  ReadVertices(item, pairs);
}

// Vertex lines: a 20-character label and two pairs; the second pairs form the boundary.
// Stops at a full batch (the item then continues in the next one).
void ParcelPass::ReadVertices(ParcelItem& item, PairBatch& pairs) {
  item.vertexCount = 0;
  item.ends = false;
  for (; vertexLinesLeft_ > 0; --vertexLinesLeft_) {
    if (item.vertexCount > 0 && pairs.Count() >= context_.work.batchPairs) return;
    if (!in_.NextLine()) {  // the file ends inside the record
      item.numericError = true;
      break;
    }
    if (item.vertices.size() <= item.vertexCount) item.vertices.resize(item.vertexCount + 1);
    PairLine& vertex = item.vertices[item.vertexCount++];
    vertex.label.assign(in_.Take(20));
    if (!ReadPairLine(vertex, pairs)) item.numericError = true;
  }
  vertexLinesLeft_ = 0;
  item.ends = true;
}

void ParcelPass::Read(ParcelBatch& batch) {
  batch.count = 0;
  batch.pairs.Clear();
  while (more_ && (batch.count == 0 || batch.pairs.Count() < context_.work.batchPairs)) {
    if (batch.items.size() <= batch.count) batch.items.resize(batch.count + 1);
    ParcelItem& item = batch.items[batch.count++];
    item.continuation = vertexLinesLeft_ > 0;
    if (item.continuation) {
      item.record = true;
      item.numericError = false;
      ReadVertices(item, batch.pairs);
    } else {
      in_.NextLine();  // an empty input still gives one (empty) line
      item.record = ReadParcelHeader(in_.Line(), item.header);
      if (item.record) {
        item.headerLine.assign(in_.Line());
        ReadRecord(item, batch.pairs);
      }
    }
    more_ = vertexLinesLeft_ > 0 || !in_.AtEnd();
  }
}

bool ParcelPass::AppendPair(std::string& line, const PairLine& source, int k,
                            const PairBatch& pairs, long double& X, long double& Y) {
  const Field &x = source.fields[2 * k], &y = source.fields[2 * k + 1];
  const std::size_t pair = source.pairs[k];
  if (pair == kNoPair) {
    textio::AppendRight(line, x.ok ? textio::Fixed(x.value, 0, 2) : x.text, kPairWidth);
    textio::AppendRight(line, y.ok ? textio::Fixed(y.value, 0, 2) : y.text, kPairWidth);
    return false;
  }
  X = pairs.X(pair);
  Y = pairs.Y(pair);
  AppendFixed(line, X, kPairWidth, 2);
  AppendFixed(line, Y, kPairWidth, 2);
  return true;
}

void ParcelPass::CloseGroupLine(bool last) {
  std::string line;
  AppendInteger(line, group_.ordinal, 10);
  line += "   ";
  line += group_.code.Text();
  line += Utf8ToCp1250(" Liczba działek = ");
  AppendInteger(line, group_.count, 10);
  line += "  P = ";
  AppendFixed(line, group_.area, 15, 4);
  if (last) {
    line += "  P(odred.) = ";
    AppendFixed(line, group_.reducedArea, 15, 4);
  }
  out_.protocol.WriteLine(line);
}

void ParcelPass::ReportDefect(const PrecinctCode& code) {
  const std::string shown = code.Shown();
  ++result_.errors;
  events_.ShowMessage(MessageKind::DefectivePrecinct,
                      "*** Defektowy numer obrębu: " + textio::Cp1250ToUtf8(shown));
  out_.protocol.WriteLine(Utf8ToCp1250(" *** Defektowy numer obrębu: ") + shown +
                          " zamieniono na 999");
}

// Records are grouped by runs of one precinct code; a defective code (not three digits)
// joins a current group 999 or opens a new group 999.
void ParcelPass::Group(const PrecinctCode& code) {
  static const PrecinctCode k999 = PrecinctCode::Of("999");
  if (code == group_.code) return;
  const bool defective = code.IsDefective();
  if (defective && group_.code == k999) {
    ReportDefect(code);
    return;
  }
  if (group_.ordinal >= 1) CloseGroupLine(false);
  if (defective) ReportDefect(code);
  ++g_;
  group_ = PrecinctGroup{g_, defective ? k999 : code, 0, 0, 0};
}

void ParcelPass::ReportNumericError(const std::array<Field, 4>& record) {
  const std::string& id = table_[n_].identifier;
  ++result_.errors;
  out_.protocol.WriteLine(Utf8ToCp1250(" *** Wykryto błąd liczbowy w rekordach działki/konturu: ") +
                          id);
  std::string line;
  for (const Field& f : record)
    AppendFixed(line, f.value, 13, 2);
  out_.protocol.WriteLine(line);
  events_.ShowMessage(
      MessageKind::NumericError,
      " *** Wykryto błąd liczbowy w rekordach działki/konturu " + textio::Cp1250ToUtf8(id));
}

void ParcelPass::WriteRecord(const ParcelItem& item, const PairBatch& pairs) {
  long double X, Y;
  if (!item.continuation) {
    const ParcelHeader& header = item.header;
    if (g_ == 0) {
      std::string unit = " Jednostka ewidencyjna nr ";
      AppendInteger(unit, header.unit);
      out_.protocol.WriteLine(unit);
      out_.protocol.WriteLine(" ");
      unit_ = std::to_string(header.unit);
      events_.SetCounter(texts_.unit, unit_);
    }
    Group(header.precinct);
    ++group_.count;
    ++n_;
    if (table_.size() <= static_cast<std::size_t>(n_)) table_.resize(n_ + 1);
    ParcelEntry& entry = table_[n_];
    entry = ParcelEntry{header.identifier};
    status_.assign("Read line ");
    AppendInteger(status_, n_);
    status_ += texts_.recordWord;
    textio::AppendCp1250AsUtf8(status_, header.identifier);
    events_.ShowStatus(status_);

    line_.clear();
    AppendPair(line_, item.recordLine, 0, pairs, X, Y);
    if (AppendPair(line_, item.recordLine, 1, pairs, X, Y)) {
      entry.Xo = X;
      entry.Yo = Y;
    }
    line_ += item.recordLine.rest;
    out_.converted.WriteLine(line_);
    out_.converted.WriteLine(item.countText);
    recordFields_ = item.recordLine.fields;
    recordError_ = false;
    stored_ = 0;
  }
  recordError_ = recordError_ || item.numericError;

  for (std::size_t i = 0; i < item.vertexCount; ++i) {
    const PairLine& vertex = item.vertices[i];
    line_.assign(vertex.label);
    AppendPair(line_, vertex, 0, pairs, X, Y);
    if (AppendPair(line_, vertex, 1, pairs, X, Y)) {
      ++stored_;
      if (ring_.X.size() <= static_cast<std::size_t>(stored_) + 1) {
        ring_.X.resize(2 * stored_ + 2);
        ring_.Y.resize(2 * stored_ + 2);
      }
      ring_.X[stored_] = X;
      ring_.Y[stored_] = Y;
    }
    line_ += vertex.rest;
    out_.converted.WriteLine(line_);
  }
  if (!item.ends) return;

  ParcelEntry& entry = table_[n_];
  entry.area = ParcelArea(ring_, stored_);
  entry.reducedArea = entry.area + entry.area * kReductionCoefficient;
  group_.area += entry.area;
  totalArea_ += entry.area;
  totalReduced_ += entry.reducedArea;
  group_.reducedArea += entry.reducedArea;
  if (recordError_) ReportNumericError(recordFields_);
}

void ParcelPass::Write(const ParcelBatch& batch) {
  result_.correction.Merge(batch.pairs.Tally());
  for (std::size_t i = 0; i < batch.count; ++i) {
    const ParcelItem& item = batch.items[i];
    if (!item.record) {
      out_.converted.WriteLine(" ");
      continue;
    }
    if (!item.continuation) out_.converted.WriteLine(item.headerLine);
    WriteRecord(item, batch.pairs);
  }
}

void ParcelPass::CreateOutputs() {
  const MapFileSlots& slots = SlotsOf(texts_.file);
  out_.protocol.Create(context_.files.SlotPath(slots.protocol));
  out_.converted.Create(context_.files.SlotPath(slots.converted));
  out_.index.Create(context_.files.SlotPath(slots.index));
}

void ParcelPass::Summary() {
  events_.SetCounter(texts_.groups, std::to_string(g_));
  events_.SetCounter(texts_.records, std::to_string(n_));
  std::string line = Utf8ToCp1250(texts_.countLine);
  AppendInteger(line, n_);
  out_.protocol.WriteLine(line);
  line = Utf8ToCp1250(" Powierzchnia całkowita według .edz  P = ");
  AppendFixed(line, totalArea_, 15, 4);
  out_.protocol.WriteLine(line);
  out_.protocol.WriteLine(kUnderscores);
  out_.protocol.WriteUtf8Line(" Tworzenie skorowidzu");
  events_.ShowStatus(" Tworzę skorowidz SKO_ ....txt - proszę czekać");
  WriteParcelIndex(table_, n_, unit_, out_.index);
  const long double rounded = std::trunc(totalArea_ * 10000 + 0.5L) * 0.0001L;
  events_.SetCounter(texts_.area, textio::General(rounded));
  out_.protocol.WriteUtf8Line(" Koniec diagnostyki");
}

void ParcelPass::CloseOutputs() {
  const MapFileSlots& slots = SlotsOf(texts_.file);
  FinishOutput(context_, out_.protocol, slots.protocol, result_);
  FinishOutput(context_, out_.converted, slots.converted, result_);
  result_.converted = !result_.writeFailed;
  FinishOutput(context_, out_.index, slots.index, result_);
  if (!result_.converted) {
    ClearCounters(context_, {texts_.unit, texts_.groups, texts_.records, texts_.area});
  }
}

TaskResult ParcelPass::Run() {
  CreateOutputs();
  out_.protocol.WriteLine(kUnderscores);
  out_.protocol.WriteUtf8Line(texts_.title);
  out_.protocol.WriteUtf8Line(texts_.sumsHeading);
  events_.ShowStatus(texts_.startStatus);
  in_.Open(context_.files.SlotPath(SlotsOf(texts_.file).input));
  WorkTeam team(ConversionThreads(context_.work));
  RunBatches<ParcelBatch>(
      team, [this] { return more_; }, [this](ParcelBatch& b) { Read(b); },
      [&](ParcelBatch& b) { b.pairs.Start(team, context_.transformation); },
      [this](const ParcelBatch& b) { Write(b); });

  CloseGroupLine(true);
  Summary();
  CloseOutputs();
  result_.records = n_;
  return result_;
}

}  // namespace

TaskResult ConvertParcels(TaskContext& context) {
  return ParcelPass(kParcelTexts, context).Run();
}

TaskResult ConvertContours(TaskContext& context) {
  return ParcelPass(kContourTexts, context).Run();
}
