// What a batch run tells its caller, gathered once from the run state and the console
// window, then printed for a person (Polish text) or for a script (one JSON object).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "batch/ConsoleWindow.h"
#include "county/Seams.h"
#include "inplace/GisJob.h"
#include "run/RunProcessing.h"
#include "transform/PointCheck.h"

// Exit statuses of zornak_batch; where several apply the highest wins (5 over 4 over 3).
enum ExitStatus {
  kExitDone = 0,          // run complete, no problem reported
  kExitFolder = 1,        // the working folder cannot be used
  kExitCommandLine = 2,   // a wrong command line
  kExitInputProblem = 3,  // run complete, a problem in the inputs was reported
  kExitNoTransform = 4,   // no transformation, so nothing converted
  kExitWriteFailure = 5,  // an output could not be written
  kExitSuspect = 6,       // otherwise complete, but the judgement flags adjustment points
  kExitLimits = 7,        // the fit does not meet the limits given (--limit-m0, Limity.txt)
};

struct MapFileReport {
  std::string input;                  // absolute paths
  std::optional<std::string> output;  // the converted file, when written this run
  std::optional<std::string> protocol, index;
  bool converted = false;
  int records = 0, errors = 0;
};

struct PointReport {
  std::string nr;  // UTF-8
  long double x1, y1, x2, y2, vx, vy, dx, dy, d;
  std::optional<long double> m0i;
  bool predictable, flagged, excluded;
  std::optional<long double> h, t;
  bool suspect;  // named by the set's test
};

struct ProposalReport {
  std::string nr;  // UTF-8
  long double t, m0After;
};

struct BatchReport {
  std::string folder;
  int kind = 0, degree = 0;
  // fitted: a fit was made; usable: it was made from a whole TRANSPKT.BIN, so the map files
  // were (or could be) converted with it.
  bool fitted = false, usable = false, readFailed = false;
  int pointsRead = 0, pointsUsed = 0;
  std::optional<int> recordsDeclared;  // by TRANSPKT.BIN, when its header was read
  std::optional<long double> m0;
  std::optional<std::pair<std::string, long double>> maxResidual;  // point (UTF-8), value
  std::vector<MapFileReport> files;                                // one per map file present
  std::vector<std::string> messages;
  std::vector<PointReport> points;  // used points, then those left out of the fit
  std::vector<ModelRow> models;
  std::optional<long double> fCritical;     // the flags' critical value, when points were tested
  std::optional<long double> fCriticalSet;  // the set's critical value, when points were tested
  std::vector<LimitCheck> limits;           // the job's limits against the fit, when given
  std::vector<ProposalReport> proposal;     // the proposal: the robust one where it differs
  bool robustProposal = false;              // the proposal is the robust search's
  std::vector<ProposalReport> snooping;     // data snooping's steps, in order
  double comparisonBudget = 0;
  std::optional<std::string> geoPackage;  // Mapa.gpkg, when written this run
  // The report files of the run by their JSON keys (protocol, control, xy, xy_sk, xy_sk1,
  // errors, pipeline), the path when the run wrote the file.
  std::vector<std::pair<const char*, std::optional<std::string>>> reports;
  // Several folders: the seams of this folder with the others and the adjustment point
  // numbers it shares with them (a pair is told under both its folders), named by folder.
  bool seamsSearched = false;
  std::vector<Seam> seams;
  std::vector<SharedAdjustmentPoint> sharedPoints;
  std::vector<std::string> seamFolders;   // the folders of the indices above
  std::optional<std::string> seamReport;  // Szwy.txt, when written
  // A joint run: its folder (for the joint folder itself and each folder it converted), the
  // folder's own m0 beside the joint one, and in the joint folder's report the parts.
  std::optional<std::string> jointFolder;
  std::optional<long double> ownM0;
  std::vector<JointPart> jointParts;
  // The whole correction as a PROJ pipeline, when asked for: its files when written, the
  // triangulation's size and how closely it gives the run's coordinates.
  bool fullPipelineAsked = false;
  std::optional<std::string> tinFile, fullPipelineFile;
  // Korekta.json and Transformacja_pelna.proj of an earlier fit, removed by this run.
  std::vector<std::string> removedOutputs;
  // Optional outputs in the folder made from another fit (Mapa.gpkg, GIS files), left alone.
  std::vector<std::string> staleOutputs;
  std::size_t tinVertices = 0, tinTriangles = 0;
  std::optional<long double> tinLargestDifference;
  // The GIS files of --gis through the fit, when asked for.
  bool gisAsked = false;
  std::vector<GisFileResult> gis;
  int exitStatus = kExitDone;
};

// The JSON keys of the report files of a run, in order ("pdf" follows when asked for).
inline constexpr const char* kReportKeys[] = {"protocol", "control", "xy",      "xy_sk",
                                              "xy_sk1",   "errors",  "pipeline"};

// The summary of `run`; `later` are the messages of the batch's own steps after the run (GIS
// files, the PDF), which count for the exit status as the run's own do.
BatchReport CollectReport(const RunResult& run, const std::vector<RunMessage>& later);
// Adds what the seam search found for `report`'s folder, number `index` of `folders`; a seam
// over the tolerance makes the folder's result one to look at (exit 6) unless it is worse.
void AddSeams(const SeamFindings& findings, const std::vector<std::string>& folders, int index,
              BatchReport& report);
// The lines of the seams for a person: one a pair, after the closing table.
void PrintSeamTable(const SeamFindings& findings, const std::vector<std::string>& folders,
                    long double tolerance, const std::optional<std::string>& path,
                    std::ostream& out);
// How serious an exit status is, for the status of several folders.
int Seriousness(int status);
void PrintText(const BatchReport& report, std::ostream& out);
void PrintJson(const BatchReport& report, std::ostream& out);

// Several folders: a line for each as it ends, a closing table, or one JSON array of the
// folders' objects.
void PrintSummaryLine(const BatchReport& report, std::ostream& out);
void PrintClosingTable(const std::vector<BatchReport>& reports, std::ostream& out);
void PrintJsonArray(const std::vector<BatchReport>& reports, std::ostream& out);
// A command line that was refused, for a script that asked for JSON: the exit status and the
// lines said on standard error.
void PrintJsonRefusal(int status, const std::vector<std::string>& lines, std::ostream& out);
