#include "convert/ConvertMapFiles.h"

#include "convert/LayerFile.h"
#include "convert/MapFiles.h"
#include "convert/ObjectFile.h"
#include "convert/ParcelFile.h"
#include "convert/PointFile.h"
#include "transform/FittedTransformation.h"

namespace {

struct ParcelSlots {
  int input, converted, protocol, index, box;
};

constexpr ParcelSlots kParcelSlots = {slot::kParcels, slot::kParcelsOut, slot::kParcelsProtocol,
                                      slot::kParcelsIndex, 1};
constexpr ParcelSlots kContourSlots = {slot::kContours, slot::kContoursOut, slot::kContoursProtocol,
                                       slot::kContoursIndex, 2};

bool Selected(WindowOperations& window, int inputSlot, int box) {
  return SlotFileExists(inputSlot) && window.ConversionSwitch(box);
}

int RunParcelPass(ParcelKind kind, const ParcelSlots& s, WindowOperations& window) {
  ParcelOutputs outputs;
  outputs.protocol.Create(SlotPath(s.protocol));
  outputs.converted.Create(SlotPath(s.converted));
  outputs.index.Create(SlotPath(s.index));
  for (int panel : {s.protocol, s.converted, s.index})
    MarkPanel(window, panel);
  return ConvertParcelFile(kind, SlotPath(s.input), outputs, window);
}

void Finish(WindowOperations& window) {
  window.ShowStatus(" Zadania wykonano");
  window.ShowMessage(" Koniec obliczeń - ZORNAK_EDZ");
}

}  // namespace

void ConvertMapFiles(WindowOperations& window) {
  const bool parcels = Selected(window, kParcelSlots.input, kParcelSlots.box);
  const bool contours = Selected(window, kContourSlots.input, kContourSlots.box);
  if (!FittedTransformation.fitted) {
    // Coordinates computed from no fit, or from an earlier run's fit, must not overwrite
    // the user's converted files: nothing is created or changed.
    if (parcels || contours || Selected(window, slot::kPoints, 3) ||
        Selected(window, slot::kLayers, 4) || Selected(window, slot::kObjects, 5)) {
      window.ShowMessage(" *** Brak transformacji - pliki mapy nie zostały przekształcone");
    }
    Finish(window);
    return;
  }
  int lastPassCount = 0;
  if (parcels) lastPassCount = RunParcelPass(ParcelKind::Parcels, kParcelSlots, window);
  if (contours) lastPassCount = RunParcelPass(ParcelKind::Contours, kContourSlots, window);
  if (Selected(window, slot::kPoints, 3)) ConvertPointFile(lastPassCount, window);
  if (Selected(window, slot::kLayers, 4)) ConvertLayerFile(window);
  if (Selected(window, slot::kObjects, 5)) ConvertObjectFile(window);
  Finish(window);
}
