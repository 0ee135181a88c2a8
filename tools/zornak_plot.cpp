// zornak_plot: the picture of a run, made without a display (Qt's offscreen platform).
#include <QGuiApplication>
#include <cstdlib>
#include <iostream>

#include "tools/PlotRun.h"

int main(int argc, char** argv) {
  // No display is needed: a script or a server makes its pictures offscreen.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  return RunPlot(argc, argv, std::cout, std::cerr);
}
