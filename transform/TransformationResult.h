// What a run's transformation starts from and what it computed: the records read from the
// working folder, and the fit with its figures, the judgement, the comparison of models and
// the proposal. Plain records: the computation (RunTransformation.h) makes them, the report
// writers (TransformReport.h, ControlReport.h) and every view read them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ModelChoice.h"
#include "transform/CorrectionTin.h"
#include "transform/Exclusions.h"
#include "transform/FittedTransformation.h"
#include "transform/JointPart.h"
#include "transform/Limits.h"
#include "transform/PointCheck.h"
#include "transform/RobustProposal.h"
#include "transform/TransformPoint.h"
#include "transform/UPKTBIN.h"

// What a run starts from, as read from the working folder.
struct TransformationInput {
  TPktDostosowania points;            // the records of TRANSPKT.BIN read whole
  bool opened = false;                // TRANSPKT.BIN could be opened
  bool readFailed = false;            // TRANSPKT.BIN could not be read whole (or not at all)
  std::int32_t recordsDeclared = -1;  // -1 when the file or its header could not be read
  std::string damage;  // UTF-8 line naming the damage of an opened file; empty otherwise
  ExclusionFile exclusionFile;
  LimitFile limitFile;  // Limity.txt
  // A joint fit of several folders: the folders whose adjustment points were joined into
  // `points`, in order; empty for a run of one folder.
  std::vector<JointPart> joint;
};

// A repeated point number of one set, against the point it repeats.
struct RepeatedPoint {
  PointNumber nr;
  long double dx = 0, dy = 0;
};

// The verification of the primary or the secondary set.
struct SetVerification {
  std::int32_t given = 0, verified = 0;
  std::vector<RepeatedPoint> repetitions;  // in the order the report lists them
};

// Everything a run's transformation computed; the views and the report files read it.
struct TransformationResult {
  ModelChoice choice;
  std::shared_ptr<const TransformationInput> input;  // never null once computed
  SetVerification primary, secondary;
  // The points give at least as many equations as the model has unknowns: the fit was tried.
  bool determinable = false;
  TFittedTransformation FittedTransformation;
  Exclusions exclusions;      // the list the fit left out, with the file's problems
  std::int32_t excluded = 0;  // points left out: listing entries ls+1..ls+excluded
  // listing[k - 1]: listing point k through TransformPoint, when computed with the listing.
  std::vector<TransformedPoint> listing;
  std::vector<AdjustmentCheck> checks;      // used points, then the excluded ones
  std::vector<ModelRow> models;             // the comparison of models
  std::vector<ProposedExclusion> snooping;  // data snooping, in order of its steps
  RobustProposal robust;                    // the robust search
  // The robust proposal names other points than data snooping: it is the proposal.
  bool robustProposal = false;
  int testDegrees = 0;                  // r - 2 of the run's tests; 0: no test
  int testedPoints = 0;                 // used points with a T: the set's n
  long double setCritical = 0;          // the set's critical value, when tested
  double comparisonBudget = 0;          // seconds the comparison had
  Limits limits;                        // the limits the fit was held to (none: as before)
  std::vector<LimitCheck> limitChecks;  // each limit against the fit, when fitted
  // The correction as a triangulation for PROJ, when asked for and fitted.
  std::shared_ptr<const CorrectionTin> tin;

  // The proposal of exclusions the views show and apply: the robust one where it differs.
  const std::vector<ProposedExclusion>& Proposal() const {
    return robustProposal ? robust.points : snooping;
  }
};
