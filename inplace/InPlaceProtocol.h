// What the files rewritten in place share: the start of a result (the paths, the refusals
// before any byte is read), the end of the output (renamed into place only when the file
// was corrected whole), and the protocol PROTOKOL_GIS_<file name>.txt (Windows-1250, CR LF):
// the route, the files, the fit, per object kind the objects and positions, the shifts, the
// positions beyond the adjustment points' hull, the angles kept, every problem.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "inplace/GisJob.h"
#include "textio/TextFile.h"
#include "transform/TransformationResult.h"

// The local rotation above which the protocol warns: the end of a 10 m label moves 1 mm.
inline constexpr long double kRotationWarning = 1e-4L;

// The result's paths and route; an error when there is no usable fit or the output would
// be the input.
GisFileResult StartInPlace(const GisJob& job, const TransformationResult& transformation);

// Renames the output into place when the rewrite found no problem; drops it otherwise.
void FinishInPlace(textio::TextFileWriter& out, GisFileResult& result);

// A rewriter as the loops below drive it: fed the input's bytes in order (`last` with the
// final ones), it tells the output's bytes to the sink it was made with and its problems to
// the result.
using ByteSink = std::function<void(std::string_view)>;
using ByteFeed = std::function<void(std::string_view bytes, bool last)>;
using MakeFeed = std::function<ByteFeed(ByteSink sink, GisFileResult& result)>;

// A file through a rewriter: the result started, the input read in chunks of 1 MB, the
// output written beside its name and renamed into place when whole, the protocol written.
GisFileResult RewriteFileInPlace(const GisJob& job, const TransformationResult& transformation,
                                 bool drawing, const MakeFeed& make);

// Bytes through a rewriter, fed `chunk` bytes at a time (the fuzz targets): the output, or
// nothing when a problem was found.
std::string RewriteBytesInPlace(std::string_view input, std::size_t chunk, GisFileResult& result,
                                const MakeFeed& make);

// The lines every GIS protocol opens with (the title, the route, the input and the output),
// and those that name the fit (the model with m0, and its stamp), told to `line` (UTF-8).
using ProtocolLine = std::function<void(const std::string&)>;
void GisProtocolOpening(const GisFileResult& result, const ProtocolLine& line);
void GisProtocolFit(const TransformationResult& transformation, const ProtocolLine& line);

// A protocol's table of counts: the heading, a row a name with its two counts (the name
// padded to `nameWidth`, the counts right-aligned in `firstWidth` and 11 columns), and the
// row "Razem" of their sums.
struct CountRow {
  std::string name;
  long long first = 0, second = 0;
};
void CountTable(const std::string& heading, const std::vector<CountRow>& rows,
                std::size_t nameWidth, int firstWidth, const ProtocolLine& line);

void WriteInPlaceProtocol(const TransformationResult& transformation, GisFileResult& result);
