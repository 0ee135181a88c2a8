// The batch program: `zornak_batch [--kind 1|2] [--degree 1..9] [--json] [FOLDER]` runs
// the processing command on FOLDER (default: the current folder) with a console window and
// prints what the run did, for a person or as JSON.
#pragma once

#include <ostream>

// Returns the exit status (batch/BatchReport.h lists them).
int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
