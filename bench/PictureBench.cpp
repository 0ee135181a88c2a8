// picture_bench FOLDER: the cost of the picture of the run in FOLDER: loading it (the fit
// rebuilt, the converted map read), one paint at 1600 x 1000, and a paint after zooming in
// 8 times, each the median of 5; then the process's peak memory.
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "picture/FitPicture.h"

namespace {

template <typename Work>
double Median(Work work) {
  std::vector<double> seconds;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(seconds.begin(), seconds.end());
  return seconds[2];
}

std::string PeakMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) return 2;
  FitPictureData data;
  QString error;
  const auto start = std::chrono::steady_clock::now();
  if (!LoadFitPicture(argv[1], {1, 1, 4}, true, 0, data, error)) return 1;
  const double load =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::size_t vertices = 0;
  for (const auto& outline : data.outlines)
    vertices += outline.size();
  QImage image(1600, 1000, QImage::Format_RGB32);
  const QRectF area(0, 0, 1600, 1000);
  PictureView view = FitView(data, area.size());
  const double whole = Median([&] {
    QPainter painter(&image);
    DrawFitPicture(painter, area, data, view);
  });
  view.pixelsPerMetre *= 8;
  const double zoomed = Median([&] {
    QPainter painter(&image);
    DrawFitPicture(painter, area, data, view);
  });
  std::printf("points %zu, outlines %zu, vertices %zu, marks %zu\n", data.points.size(),
              data.outlines.size(), vertices, data.marks.size());
  std::printf("load %.3f s, paint whole %.3f s, paint zoomed x8 %.3f s, peak memory%s\n", load,
              whole, zoomed, PeakMemory().c_str());
  return 0;
}
