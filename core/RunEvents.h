// The events through which a run reports to whoever runs it: the desktop window, the
// console of the batch program, a test. Output only: a run reads nothing back from its
// sink; what it needs comes in its request (core/RunRequest.h). The events speak of what is
// shown (a status, a message, a file panel, a counter), never of the controls that show it.
// Texts are UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>

// The state a file panel shows.
enum class PanelState {
  Absent,  // the file does not exist
  Input,   // an input map file that exists
  Output,  // any other file of the working folder that exists
};

// The figures a run fills in, for the parcel and contour passes and the three point tasks.
enum class Counter {
  ParcelUnit,       // registration unit number of the parcel file
  ParcelPrecincts,  // precinct groups of the parcel file
  Parcels,          // parcel records
  ParcelArea,       // total area of the parcels, hectares
  ContourUnit,
  ContourPrecincts,
  Contours,
  ContourArea,
  Points,        // point records of the point file
  LayerPoints,   // converted records of the layer file
  ObjectPoints,  // converted records of the object file
};
inline constexpr int kCounterCount = 11;

// The map files of a working folder, in the order a run converts them.
enum class MapFile { Parcels, Contours, Points, Layers, Objects };
inline constexpr int kMapFileCount = 5;
// One flag per map file, in MapFile order.
using MapFileSet = std::array<bool, kMapFileCount>;

// What a message box is about. Front ends show every kind alike; the batch program's exit
// status and a window's "skip the rest" offer tell them apart.
enum class MessageKind {
  AdjustmentFileUnreadable,  // TRANSPKT.BIN could not be read
  NumericError,              // a number of a map record could not be read
  DefectivePrecinct,         // a parcel header with a precinct code that is not three digits
  ExclusionProblem,          // faulty lines of Wykluczone.txt
  LimitProblem,              // faulty lines of Limity.txt
  NoTransformation,          // no fit: the map files were not converted
  SuspectPoints,             // flagged adjustment points kept the map files from conversion
  LimitsNotMet,              // the fit missed the job's limits: the map files were not converted
  WriteFailure,              // an output file could not be written
  FolderNotWritable,         // the working folder takes no new file: the run did not start
  ExportNote,                // what the GIS export could not carry as it is
  GisProblem,                // a GIS file to convert that cannot be read, or a part of it
  Closing,                   // the closing box of every run
};

// True for the kinds that report a problem found in the input files.
constexpr bool IsInputProblem(MessageKind kind) {
  return kind == MessageKind::AdjustmentFileUnreadable || kind == MessageKind::NumericError ||
         kind == MessageKind::DefectivePrecinct || kind == MessageKind::ExclusionProblem ||
         kind == MessageKind::LimitProblem || kind == MessageKind::GisProblem;
}

// A message a run showed, as its result keeps it: the batch exit status and summary read
// these, never a window.
struct RunMessage {
  MessageKind kind;
  std::string text;  // UTF-8, as shown
};

class RunEvents {
 public:
  virtual ~RunEvents() = default;

  // Shows the status line with `text`, painted before the call returns.
  virtual void ShowStatus(std::string_view text) = 0;
  // A modal message box with an OK button and the application title; returns when closed.
  virtual void ShowMessage(MessageKind kind, std::string_view text) = 0;
  // The panel of file slot 1..kWorkingFileSlots.
  virtual void ShowPanel(int slot, PanelState state) = 0;
  virtual void SetCounter(Counter counter, std::string_view text) = 0;
};
