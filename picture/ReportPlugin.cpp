// The PDF report as a plugin for the programs that link no Qt (zornak_batch): Qt and its
// fonts load only when a report is asked for. A program without a Qt application gets one
// on the offscreen platform for the time of the report.
#include <QGuiApplication>
#include <optional>
#include <type_traits>

#include "picture/PdfReport.h"
#include "picture/QuietQt.h"
#include "textio/Platform.h"

ZORNAK_PLUGIN_ENTRY bool zornak_write_pdf_report(const ReportInput& input, const std::string& path,
                                                 std::string& error) {
  // Qt takes the platform's arguments out of argc and argv: each report gets fresh ones.
  int argc = 3;
  char name[] = "zornak_report", platform[] = "-platform", offscreen[] = "offscreen";
  char* argv[] = {name, platform, offscreen, nullptr};
  std::optional<QGuiApplication> application;
  if (!QCoreApplication::instance()) {
    DropRuntimeFolderWarning();
    application.emplace(argc, argv);
  }
  return WritePdfReport(input, path, error);
}

// The entry must keep the type the program calls it by.
static_assert(std::is_same_v<decltype(&zornak_write_pdf_report), PdfReportEntry>);
