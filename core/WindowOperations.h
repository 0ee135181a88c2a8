// The few operations through which the processing reports to whoever runs it: the desktop
// window, the console of the batch program, a test. They speak of what is shown (a counter,
// a file panel, a switch), never of the controls that show it. Texts are UTF-8.
#pragma once

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

class WindowOperations {
 public:
  virtual ~WindowOperations() = default;

  // Current texts of the model kind and degree selectors.
  virtual std::string KindText() = 0;
  virtual std::string DegreeText() = 0;
  // Shows the status line with `text`, painted before the call returns.
  virtual void ShowStatus(std::string_view text) = 0;
  // A modal message box with an OK button and the application title; returns when closed.
  virtual void ShowMessage(MessageKind kind, std::string_view text) = 0;
  // The panel of file slot 1..23.
  virtual void ShowPanel(int slot, PanelState state) = 0;
  virtual void SetCounter(Counter counter, std::string_view text) = 0;
  virtual std::string CounterText(Counter counter) = 0;
  // Whether the user asked for this map file to be converted.
  virtual bool ConversionSwitch(MapFile file) = 0;
  // Asked once a run, after the fit and before any map file is converted, when the judgement
  // flags adjustment points (`question` names them, UTF-8): true converts as usual, false
  // converts nothing. A window that cannot ask converts, as the run always did.
  virtual bool ConvertDespiteSuspectPoints(std::string_view question) {
    static_cast<void>(question);
    return true;
  }
};
