// The batch program: `zornak_batch [--kind 1|2] [--degree 1..9] [FOLDER]` runs the
// processing command on FOLDER (default: the current folder) with a console window.
#pragma once

#include <ostream>

// Returns the exit status: 0 for a completed run, 1 when the folder cannot be used,
// 2 for a wrong command line.
int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
