// Window operations that record every call, for tests of the processing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/WindowOperations.h"

class RecordingWindow : public WindowOperations {
 public:
  std::string kind = "Konforemna";
  std::string degree = "1";
  std::vector<std::string> statuses;
  std::vector<std::string> messages;
  std::vector<MessageKind> messageKinds;
  std::map<int, PanelState> panels;
  std::map<Counter, std::string> counters;
  std::map<MapFile, bool> switches;  // a file not named here is switched on
  std::vector<std::string> calls;    // every status, message, panel and counter, in order

  bool convertDespiteSuspect = true;
  std::vector<std::string> questions;  // about suspect points

  bool ConvertDespiteSuspectPoints(std::string_view question) override {
    questions.emplace_back(question);
    calls.push_back("question " + std::string(question));
    return convertDespiteSuspect;
  }
  std::string KindText() override { return kind; }
  std::string DegreeText() override { return degree; }
  void ShowStatus(std::string_view text) override {
    statuses.emplace_back(text);
    calls.push_back("status " + std::string(text));
  }
  void ShowMessage(MessageKind messageKind, std::string_view text) override {
    messages.emplace_back(text);
    messageKinds.push_back(messageKind);
    calls.push_back("message " + std::string(text));
  }
  void ShowPanel(int slot, PanelState state) override {
    panels[slot] = state;
    calls.push_back("panel " + std::to_string(slot) + " " +
                    std::to_string(static_cast<int>(state)));
  }
  void SetCounter(Counter counter, std::string_view text) override {
    counters[counter] = std::string(text);
    calls.push_back("counter " + std::to_string(static_cast<int>(counter)) + " " +
                    std::string(text));
  }
  std::string CounterText(Counter counter) override { return counters[counter]; }
  bool ConversionSwitch(MapFile file) override {
    const auto it = switches.find(file);
    return it == switches.end() || it->second;
  }
};
