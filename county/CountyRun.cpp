#include "county/CountyRun.h"

#include <filesystem>

#include "convert/MapPositions.h"
#include "county/SeamReport.h"
#include "textio/Platform.h"

PreparedJoint PrepareJoint(const std::vector<std::string>& folders, const std::string& jointFolder,
                           const ModelChoice& choice, int threads, RunEvents& events) {
  PreparedJoint p;
  std::error_code ec;
  std::filesystem::create_directories(textio::PathFromUtf8(jointFolder), ec);
  p.folder = AbsoluteFolder(jointFolder);
  for (const std::string& folder : folders) {
    p.folders.push_back(AbsoluteFolder(folder));
    if (p.folders.back() == p.folder) {
      p.joint.problems.push_back("folder " + jointFolder +
                                 " jest jednym z łączonych folderów; wyniki wspólnej "
                                 "transformacji potrzebują własnego folderu");
      return p;
    }
  }
  TransformationWork work;
  for (const std::string& folder : p.folders) {
    p.inputs.push_back(ReadTransformationInput(folder, events));
    p.ownM0.push_back(OwnM0(choice, p.inputs.back(), threads, work));
  }
  p.joint = JoinAdjustmentPoints(p.folders, p.inputs, p.ownM0, p.folder);
  return p;
}

CountySeams FindCountySeams(const std::vector<SeamFolder>& folders, long double tolerance,
                            int threads, const std::string& path) {
  CountySeams s;
  for (const SeamFolder& folder : folders)
    s.names.push_back(folder.name);
  s.tolerance = tolerance;
  s.findings = FindSeams(folders, {tolerance, threads});
  for (const Seam& seam : s.findings.seams)
    s.overTolerance += seam.overTolerance.size();
  s.written = WriteSeamReport(path, s.findings, s.names, tolerance, s.failure);
  std::error_code ec;
  s.path = textio::Utf8FromPath(std::filesystem::absolute(textio::PathFromUtf8(path), ec));
  return s;
}

SeamFolder SeamFolderOf(const std::string& name, const RunResult* run,
                        const TransformationInput* own) {
  SeamFolder folder;
  folder.name = name;
  if (own) folder.adjustmentPoints = own->points;
  if (!run || !run->started) return folder;
  folder.positions = ConvertedMapPositions(*run);
  folder.fit = &run->Fit();
  return folder;
}
