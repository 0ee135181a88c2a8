// What every fuzz target shares: a working folder of its own with a fitted transformation
// in place (made once per process), a window that stays silent, and a way to put the
// fuzzer's bytes into a file of that folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/WindowOperations.h"

class SilentWindow : public WindowOperations {
 public:
  std::string KindText() override { return "Konforemna"; }
  std::string DegreeText() override { return "1"; }
  void ShowStatus(std::string_view) override {}
  void ShowMessage(std::string_view) override {}
  void ColourPanel(int, PanelColour) override {}
  void SetCounter(CounterField, std::string_view) override {}
  std::string CounterText(CounterField) override { return "7"; }
  bool ConversionSwitch(int) override { return true; }
};

// The folder (made, fitted and made current on the first call).
const std::string& FuzzFolder();
SilentWindow& FuzzWindow();
// Writes the bytes as the named file of the folder.
void WriteFuzzFile(const std::string& name, const std::uint8_t* data, std::size_t size);
