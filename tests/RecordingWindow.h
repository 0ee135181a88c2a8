// Window operations that record every call, for tests of the processing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "shell/WindowOperations.h"

class RecordingWindow : public WindowOperations {
 public:
  std::string kind = "Konforemna";
  std::string degree = "1";
  std::vector<std::string> statuses;
  std::vector<std::string> messages;
  std::map<int, PanelColour> panels;
  std::map<CounterField, std::string> counters;
  bool switches[6] = {false, true, true, true, true, true};
  std::vector<std::string> calls;  // every status, message, panel and counter, in order

  std::string KindText() override { return kind; }
  std::string DegreeText() override { return degree; }
  void ShowStatus(std::string_view text) override {
    statuses.emplace_back(text);
    calls.push_back("status " + std::string(text));
  }
  void ShowMessage(std::string_view text) override {
    messages.emplace_back(text);
    calls.push_back("message " + std::string(text));
  }
  void ColourPanel(int slot, PanelColour colour) override {
    panels[slot] = colour;
    calls.push_back("panel " + std::to_string(slot) + " " +
                    std::to_string(static_cast<int>(colour)));
  }
  void SetCounter(CounterField field, std::string_view text) override {
    counters[field] = std::string(text);
    calls.push_back("counter " + std::to_string(static_cast<int>(field)) + " " + std::string(text));
  }
  std::string CounterText(CounterField field) override { return counters[field]; }
  bool ConversionSwitch(int box) override { return box >= 1 && box <= 5 && switches[box]; }
};
