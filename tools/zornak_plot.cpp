// zornak_plot: the picture of a run, made without a display (Qt's offscreen platform).
#include <QGuiApplication>
#include <iostream>
#include <string>
#include <vector>

#include "picture/QuietQt.h"
#include "textio/Platform.h"
#include "tools/PlotRun.h"

int main(int argc, char** argv) {
  DropRuntimeFolderWarning();
  // No display is needed: a script or a server makes its pictures offscreen.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::vector<std::string> arguments = textio::CommandLineArguments(argc, argv);
  std::vector<const char*> utf8;
  for (const std::string& a : arguments)
    utf8.push_back(a.c_str());
  textio::PrepareConsole();
  QGuiApplication app(argc, argv);
  return RunPlot(static_cast<int>(utf8.size()), utf8.data(), std::cout, std::cerr);
}
