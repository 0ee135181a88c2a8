// The five files of every transformation run: the report "Protokol.tra", the lists "xy.tra",
// "xy_sk.tra", "xy_sk1.tra" and the error list "err.tra", rendered from a computed result.
// One method per block of the report; WriteTransformReport writes the blocks the result
// calls for, in the files' order. Coordinates and residuals take ReportDecimals decimals;
// the fixed blocks take the decimals their layout states.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "textio/TextFile.h"

#include "transform/FittedTransformation.h"
#include "transform/TransformPoint.h"

class RunEvents;
struct TransformationResult;

// The five files of `result` in `folder`; each that could not be written is reported. The
// result must hold its listing (ComputeOptions::listing), as every run's does.
void WriteTransformReport(const std::string& folder, const TransformationResult& result,
                          RunEvents& events);

// The count lines of the input block.
enum class CountLine {
  PrimaryGiven,
  PrimaryRepeats,
  PrimaryVerified,
  SecondaryGiven,
  SecondaryRepeats,
  SecondaryVerified,
  Common,
  Excluded
};

class TransformReport {
 public:
  // Creates or empties the five files in `folder` (a name that exists in another letter
  // case is reused).
  void Create(const std::string& folder, std::int32_t decimals);
  void Header(const std::string& folder, std::int32_t kind, std::int32_t degree);
  void Count(CountLine line, std::int64_t value);
  // One repeated point, to the report and to err.tra; always 3 decimals.
  void Repetition(const PointNumber& nr, long double dx, long double dy);
  void Defect();
  // The damage of TRANSPKT.BIN (UTF-8), to the report and to err.tra.
  void Damage(std::string_view utf8);
  void AdjustmentPoints(const TFittedTransformation& f);
  void Parameters(const trk::FittedModel& model);
  // The coefficients with their mean errors.
  void Coefficients(const trk::FittedModel& model);
  void ResidualsHeader();
  void Residual(const PointNumber& nr, long double vx, long double vy);
  void Analysis(const AccuracyFigures& figures);
  // The listing set with its values (values[k - 1]: point k), into all four listings.
  void Listing(const TFittedTransformation& f, const std::vector<TransformedPoint>& values);
  void Description();
  // Closes the five files; each that could not be written is reported through `events`.
  void Close(RunEvents& events);

 private:
  void Separator();
  void CoefficientLine(std::string line, long double value, long double meanError,
                       std::string_view errorLabel);

  textio::TextFileWriter report_, xy_, xySk_, xySk1_, err_;
  int decimals_ = 4;
};
