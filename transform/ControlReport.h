// Kontrola.tra: the judgement of the adjustment points of a run, with the habits of the
// report (Windows-1250, CR LF, fixed columns, Polish headings), written atomically: the
// per-point table with the leave-one-out figures and flags, the points left out of the fit
// with their control discrepancies, the problems of Wykluczone.txt, and the comparison of
// models with its suggestion.
#pragma once

#include <string>
#include <vector>

#include "transform/TransformationResult.h"

class RunEvents;

// Writes the file of `result` into `folder`; a file that cannot be written is reported.
void WriteControlReport(const std::string& folder, const TransformationResult& result,
                        RunEvents& events);

// "konforemna" or "ogólna" (UTF-8), as the tables name a model's kind.
const char* KindName(int kind);
// "transformacja ogólna stopnia 2" (UTF-8), as the summaries, windows and pictures name a model.
std::string ModelName(int kind, int degree);
