#include "convert/PointFile.h"

#include <array>
#include <vector>

#include "convert/MapFileTask.h"
#include "convert/PairWorker.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/TextScanner.h"

namespace {

constexpr std::size_t kNameLength = 20;
constexpr std::size_t kBatch = 2048;  // records read, transformed and written together

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
// while the next one is read and transformed.
struct Batch {
  std::vector<PointRecord> records{kBatch};
  std::vector<long double> in = std::vector<long double>(4 * kBatch);
  std::vector<long double> out = std::vector<long double>(4 * kBatch);
  std::size_t count = 0;
};

class PointPass {
 public:
  PointPass(const TFittedTransformation& transformation, WindowOperations& window,
            textio::TextFileWriter& converted, textio::TextFileWriter& protocol)
      : transformation_(transformation),
        window_(window),
        converted_(converted),
        protocol_(protocol) {}

  void Run(const std::string& input);
  int Lines() const { return lines_; }
  int Points() const { return points_; }
  int Unreadable() const { return unreadable_; }

 private:
  void Read(Batch& batch);
  void Write(const Batch& batch);

  const TFittedTransformation& transformation_;
  WindowOperations& window_;
  textio::TextFileWriter& converted_;
  textio::TextFileWriter& protocol_;
  textio::TextScanner in_;
  int lines_ = 0, points_ = 0, unreadable_ = 0;
  bool more_ = true;
  std::string line_, status_;
};

void PointPass::Read(Batch& batch) {
  batch.count = 0;
  while (more_ && batch.count < kBatch) {
    in_.NextLine();
    ++lines_;
    std::string_view name = in_.Take(kNameLength);
    if (!name.empty() && name != " ") {  // else a blank line
      PointRecord& r = batch.records[batch.count];
      r.name.assign(name);
      long double* v = &batch.in[4 * batch.count];
      r.readable = true;
      for (int k = 0; k < 4; ++k) {
        if (in_.Number(v[k]) != textio::TextScanner::Read::Ok) {
          r.readable = false;
          v[k] = 0;
        }
      }
      r.rest.assign(in_.Rest());
      r.line = lines_;
      r.point = ++points_;
      ++batch.count;
    }
    more_ = !in_.AtEnd();
  }
}

void PointPass::Write(const Batch& batch) {
  for (std::size_t i = 0; i < batch.count; ++i) {
    const PointRecord& r = batch.records[i];
    if (!r.readable) {
      ++unreadable_;
      window_.ShowMessage(MessageKind::NumericError, ErrorText(r.line));
      protocol_.WriteLine(textio::Utf8ToCp1250(ErrorText(r.line)));
      continue;
    }
    line_.clear();
    textio::AppendRight(line_, r.name, kNameLength);
    for (int k = 0; k < 4; ++k)
      textio::AppendFixed(line_, batch.out[4 * i + k], 18, 2);
    status_.assign(" PUNKTY.etp: transformuję punkt ");
    textio::AppendInteger(status_, r.point);
    status_ += ' ';
    textio::AppendCp1250AsUtf8(status_, r.name);
    window_.ShowStatus(status_);
    line_ += r.rest;
    converted_.WriteLine(line_);
  }
}

void PointPass::Run(const std::string& input) {
  in_.Open(input);
  PairWorker worker(transformation_, ConversionThreads());
  std::array<Batch, 2> batches;
  int current = 0;
  bool pending = false;
  while (more_) {
    Batch& batch = batches[current];
    Read(batch);
    worker.Start(batch.in.data(), batch.out.data(), 2 * batch.count);
    if (pending) Write(batches[current ^ 1]);
    worker.Finish();
    pending = true;
    current ^= 1;
  }
  if (pending) Write(batches[current ^ 1]);
}

}  // namespace

TaskResult ConvertPoints(TaskContext& context) {
  WindowOperations& window = context.window;
  const MapFileSlots& slots = SlotsOf(MapFile::Points);
  window.ShowStatus(" Przekształcam punkty " + std::to_string(context.lastPassRecords));
  textio::TextFileWriter converted, protocol;
  converted.Create(context.files.SlotPath(slots.converted));
  protocol.Create(context.files.SlotPath(slots.protocol));
  protocol.WriteLine(" DIAGNOSTYKA ZBIORU: PUNKTY.etp");

  PointPass pass(context.transformation, window, converted, protocol);
  pass.Run(context.files.SlotPath(slots.input));

  protocol.WriteLine(" Liczba przeczytanych linii: " + std::to_string(pass.Lines()));
  protocol.WriteLine(textio::Utf8ToCp1250(" Liczba wszystkich punktów: ") +
                     std::to_string(pass.Points()));
  window.SetCounter(Counter::Points, std::to_string(pass.Points()));
  TaskResult result;
  FinishOutput(context, converted, slots.converted, result);
  result.converted = !result.writeFailed;
  FinishOutput(context, protocol, slots.protocol, result);
  if (!result.converted) ClearCounters(context, {Counter::Points});
  result.records = pass.Points() - pass.Unreadable();
  result.errors = pass.Unreadable();
  return result;
}
