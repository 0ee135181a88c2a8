#include "county/JointFit.h"

#include <set>

#include "textio/FolderFiles.h"

namespace {

std::string ConflictLine(const SharedAdjustmentPoint& p, const std::vector<std::string>& folders) {
  return "punkt " + ShownNumber(p.nr) + ": różne współrzędne w folderach " + folders[p.a] + " i " +
         folders[p.b];
}

}  // namespace

std::optional<long double> OwnM0(const ModelChoice& choice,
                                 std::shared_ptr<const TransformationInput> input, int threads,
                                 TransformationWork& work) {
  const auto result =
      ComputeTransformation(choice, std::move(input), nullptr, {threads, 0.0, false, {}}, work);
  const TFittedTransformation& f = result->FittedTransformation;
  if (!f.Usable()) return std::nullopt;
  return f.figures.m0;
}

JointInput JoinAdjustmentPoints(
    const std::vector<std::string>& folders,
    const std::vector<std::shared_ptr<const TransformationInput>>& inputs,
    const std::vector<std::optional<long double>>& own, const std::string& jointFolder) {
  JointInput joint;
  for (std::size_t f = 0; f < folders.size(); ++f) {
    const TransformationInput& in = *inputs[f];
    if (!in.opened) {
      joint.problems.push_back("brak pliku TRANSPKT.BIN w folderze " + folders[f]);
    } else if (in.readFailed) {
      joint.problems.push_back("TRANSPKT.BIN nieczytelny w folderze " + folders[f] +
                               (in.damage.empty() ? "" : ": " + in.damage));
    }
  }
  std::vector<const TPktDostosowania*> lists;
  for (const auto& in : inputs)
    lists.push_back(&in->points);
  for (const SharedAdjustmentPoint& p : SharedAdjustmentPoints(lists)) {
    if (!p.differs) continue;
    joint.conflicts.push_back(p);
    joint.problems.push_back(ConflictLine(p, folders));
  }
  if (!joint.problems.empty()) return joint;

  auto input = std::make_shared<TransformationInput>();
  input->opened = true;
  std::set<PointNumber> held;  // numbers of earlier folders
  for (std::size_t f = 0; f < folders.size(); ++f) {
    JointPart part{folders[f], static_cast<std::int32_t>(inputs[f]->points.size()), 0,
                   f < own.size() ? own[f] : std::nullopt};
    std::set<PointNumber> mine;
    for (const TPkt& p : inputs[f]->points) {
      const PointNumber nr(p.Nr);
      if (held.count(nr)) continue;  // the same point, agreeing: the earlier record stands
      input->points.push_back(p);
      mine.insert(nr);
      ++part.added;
    }
    held.insert(mine.begin(), mine.end());
    input->joint.push_back(std::move(part));
  }
  if (input->points.size() > static_cast<std::size_t>(kMaxAdjustmentRecords)) {
    joint.problems.push_back("suma punktów dostosowania folderów (" +
                             std::to_string(input->points.size()) + ") ponad " +
                             std::to_string(kMaxAdjustmentRecords));
    return joint;
  }
  input->recordsDeclared = static_cast<std::int32_t>(input->points.size());
  input->exclusionFile = ReadExclusionFile(textio::PathInFolder(jointFolder, kExclusionFileName));
  input->limitFile = ReadLimitFile(textio::PathInFolder(jointFolder, kLimitFileName));
  joint.input = std::move(input);
  return joint;
}
