#include "shell/RunProcessing.h"

#include "convert/ConvertMapFiles.h"
#include "shell/WorkingFiles.h"
#include "textio/TextFile.h"
#include "transform/RunTransformation.h"
#include "transform/TransformSettings.h"

void TakeModelChoice(std::string_view kindText, std::string_view degreeText) {
  for (std::size_t i = 0; i < kKindItems.size(); ++i) {
    if (kindText == kKindItems[i]) TransformKind = static_cast<std::int32_t>(i + 1);
  }
  for (std::size_t i = 0; i < kDegreeItems.size(); ++i) {
    if (degreeText == kDegreeItems[i]) TransformDegree = static_cast<std::int32_t>(i + 1);
  }
}

void RunProcessing(WindowOperations& window) {
  textio::RemoveStaleTemporaries(WorkingFolder);
  TakeModelChoice(window.KindText(), window.DegreeText());
  ReportDecimals = 4;
  window.ShowStatus(" obliczenia są wykonywane - proszę czekać");
  RunTransformation(WorkingFolder, window);
  window.ShowStatus(" sprawdzono zbiory punktów dostosowania");
  RefreshPresence(window);
  ConvertMapFiles(window);
  window.ShowStatus(" przetwarzanie zakończone");
}
