#include "convert/RunResult.h"

std::shared_ptr<const RunResult> NoRunResult() {
  static const auto none = [] {
    auto r = std::make_shared<RunResult>();
    r->transformation = std::shared_ptr<const TransformationResult>(
        std::shared_ptr<const TransformationResult>{}, &NoTransformationResult());
    return std::shared_ptr<const RunResult>(std::move(r));
  }();
  return none;
}

MapFileSet RunResult::ConvertedFiles() const {
  MapFileSet converted{};
  for (int k = 0; k < kMapFileCount; ++k)
    converted[k] = conversion[k].converted;
  return converted;
}
