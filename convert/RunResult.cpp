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

bool RunResult::Showed(MessageKind kind) const {
  for (const RunMessage& m : messages) {
    if (m.kind == kind) return true;
  }
  return false;
}

bool RunResult::ShowedInputProblem() const {
  for (const RunMessage& m : messages) {
    if (IsInputProblem(m.kind)) return true;
  }
  return false;
}
