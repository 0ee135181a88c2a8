#include "convert/PointFile.h"

#include <algorithm>
#include <vector>

#include "convert/MapFileTask.h"
#include "convert/PairBatch.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/TextScanner.h"

namespace {

constexpr std::size_t kNameLength = 20;

std::string ErrorText(int line) {
  return " *** Wykryto błąd liczbowy w wierszu " + std::to_string(line);
}

struct PointRecord {
  std::string name, rest;
  int line = 0;   // lines read when the record was taken
  int point = 0;  // point records so far, this one included
  bool readable = true;
};

// Records are read one after another (a record may take numbers from the lines after it),
// their pairs are transformed batch by batch, and each batch is written in record order
// while the next one is transformed. Record i holds pairs 2i and 2i+1.
struct Batch {
  std::vector<PointRecord> records;
  PairBatch pairs;
  std::size_t count = 0;
};

class PointPass {
 public:
  PointPass(const TaskContext& context, textio::TextFileWriter& converted,
            textio::TextFileWriter& protocol)
      : transformation_(context.transformation),
        work_(context.work),
        events_(context.events),
        converted_(converted),
        protocol_(protocol) {}

  void Run(const std::string& input);
  int Lines() const { return lines_; }
  int Points() const { return points_; }
  int Unreadable() const { return unreadable_; }
  const CorrectionTally& Correction() const { return correction_; }

 private:
  void Read(Batch& batch);
  void Write(const Batch& batch);

  const TFittedTransformation& transformation_;
  const ConversionWork& work_;
  RunEvents& events_;
  textio::TextFileWriter& converted_;
  textio::TextFileWriter& protocol_;
  textio::TextScanner in_;
  CorrectionTally correction_;
  int lines_ = 0, points_ = 0, unreadable_ = 0;
  bool more_ = true;
  std::string line_, status_;
};

void PointPass::Read(Batch& batch) {
  const std::size_t records = std::max<std::size_t>(1, work_.batchPairs / 2);
  if (batch.records.size() < records) batch.records.resize(records);
  batch.count = 0;
  batch.pairs.Clear();
  while (more_ && batch.count < records) {
    in_.NextLine();
    ++lines_;
    std::string_view name = in_.Take(kNameLength);
    if (!name.empty() && name != " ") {  // else a blank line
      PointRecord& r = batch.records[batch.count];
      r.name.assign(name);
      long double v[4];
      r.readable = true;
      for (long double& value : v) {
        if (in_.Number(value) != textio::TextScanner::Read::Ok) {
          r.readable = false;
          value = 0;
        }
      }
      batch.pairs.Add(v[0], v[1]);
      batch.pairs.Add(v[2], v[3]);
      r.rest.assign(in_.Rest());
      r.line = lines_;
      r.point = ++points_;
      ++batch.count;
    }
    more_ = !in_.AtEnd();
  }
}

void PointPass::Write(const Batch& batch) {
  correction_.Merge(batch.pairs.Tally());
  for (std::size_t i = 0; i < batch.count; ++i) {
    const PointRecord& r = batch.records[i];
    if (!r.readable) {
      ++unreadable_;
      events_.ShowMessage(MessageKind::NumericError, ErrorText(r.line));
      protocol_.WriteUtf8Line(ErrorText(r.line));
      continue;
    }
    line_.clear();
    textio::AppendRight(line_, r.name, kNameLength);
    for (std::size_t pair : {2 * i, 2 * i + 1}) {
      textio::AppendFixed(line_, batch.pairs.X(pair), 18, 2);
      textio::AppendFixed(line_, batch.pairs.Y(pair), 18, 2);
    }
    status_.assign(" PUNKTY.etp: transformuję punkt ");
    textio::AppendInteger(status_, r.point);
    status_ += ' ';
    textio::AppendCp1250AsUtf8(status_, r.name);
    events_.ShowStatus(status_);
    line_ += r.rest;
    converted_.WriteLine(line_);
  }
}

void PointPass::Run(const std::string& input) {
  in_.Open(input);
  WorkTeam team(ConversionThreads(work_));
  RunBatches<Batch>(
      team, [this] { return more_; }, [this](Batch& b) { Read(b); },
      [&](Batch& b) { b.pairs.Start(team, transformation_); },
      [this](const Batch& b) { Write(b); });
}

}  // namespace

TaskResult ConvertPoints(TaskContext& context) {
  RunEvents& events = context.events;
  const MapFileSlots& slots = SlotsOf(MapFile::Points);
  events.ShowStatus(" Przekształcam punkty " + std::to_string(context.lastPassRecords));
  textio::TextFileWriter converted, protocol;
  converted.Create(context.files.SlotPath(slots.converted));
  protocol.Create(context.files.SlotPath(slots.protocol));
  protocol.WriteLine(" DIAGNOSTYKA ZBIORU: PUNKTY.etp");

  PointPass pass(context, converted, protocol);
  pass.Run(context.files.SlotPath(slots.input));

  protocol.WriteLine(" Liczba przeczytanych linii: " + std::to_string(pass.Lines()));
  protocol.WriteLine(textio::Utf8ToCp1250(" Liczba wszystkich punktów: ") +
                     std::to_string(pass.Points()));
  events.SetCounter(Counter::Points, std::to_string(pass.Points()));
  TaskResult result;
  FinishOutput(context, converted, slots.converted, result);
  result.converted = !result.writeFailed;
  FinishOutput(context, protocol, slots.protocol, result);
  if (!result.converted) ClearCounters(context, {Counter::Points});
  result.records = pass.Points() - pass.Unreadable();
  result.errors = pass.Unreadable();
  result.correction = pass.Correction();
  return result;
}
