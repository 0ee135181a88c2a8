// Kontrola.tra: the judgement of the adjustment points of a run, with the habits of the
// report (Windows-1250, CR LF, fixed columns, Polish headings), written atomically: the
// per-point table with the leave-one-out figures and flags, the points left out of the fit
// with their control discrepancies, the problems of Wykluczone.txt, and the comparison of
// models with its suggestion.
#pragma once

#include <string>
#include <vector>

#include "core/ModelChoice.h"
#include "transform/CorrectionTin.h"
#include "transform/Exclusions.h"
#include "transform/JointPart.h"
#include "transform/Limits.h"
#include "transform/PointCheck.h"

class RunEvents;

inline constexpr const char* kControlFileName = "Kontrola.tra";

struct ControlReportInput {
  const std::string& folder;
  const ModelChoice& model;
  bool fitted;
  const std::vector<AdjustmentCheck>& checks;
  const Exclusions& exclusions;
  const std::vector<ModelRow>& models;
  double budgetSeconds;
  int testDegrees;  // r - 2; 0 when the points cannot be tested
  const std::vector<ProposedExclusion>& proposal;
  int testedPoints;                       // the set's n
  long double setCritical;                // the set's critical value
  const std::vector<LimitCheck>& limits;  // the surveyor's limits against the fit
  const std::vector<JointPart>& joint;    // the folders of a joint fit; empty for one folder
  long double m0;                         // of the fit, when fitted
  const CorrectionTin* tin;               // the correction for PROJ, when written; else null
};

// Writes the file into the folder; a file that cannot be written is reported.
void WriteControlReport(const ControlReportInput& input, RunEvents& events);

// "konforemna" or "ogólna" (UTF-8), as the tables name a model's kind.
const char* KindName(int kind);
// "transformacja ogólna stopnia 2" (UTF-8), as the summaries, windows and pictures name a model.
std::string ModelName(int kind, int degree);
