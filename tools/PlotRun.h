// zornak_plot FOLDER OUT.png|OUT.svg|OUT.pdf [--width PIXELS] [--no-map]: the picture of the
// run made in FOLDER, without a display. Returns 0 on success, 1 when the folder holds no
// run or the file cannot be written, 2 for a wrong command line.
#pragma once

#include <ostream>

int RunPlot(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
