// The parcel pass (the contour pass is the same code) on the fuzzer's DZIALKI.edz.
#include "convert/MapFiles.h"
#include "convert/ParcelFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzFolder();
  WriteFuzzFile("DZIALKI.edz", data, size);
  ParcelOutputs outputs;
  outputs.protocol.Create(SlotPath(slot::kParcelsProtocol));
  outputs.converted.Create(SlotPath(slot::kParcelsOut));
  outputs.index.Create(SlotPath(slot::kParcelsIndex));
  ConvertParcelFile(ParcelKind::Parcels, SlotPath(slot::kParcels), outputs, FuzzWindow());
  return 0;
}
