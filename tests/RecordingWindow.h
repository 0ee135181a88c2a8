// An event sink that records every event, and the request a test runs with, for tests of
// the processing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/RunRequest.h"

class RecordingWindow : public RunEvents {
 public:
  std::vector<std::string> statuses;
  std::vector<std::string> messages;
  std::vector<MessageKind> messageKinds;
  std::map<int, PanelState> panels;
  std::map<Counter, std::string> counters;
  std::vector<std::string> calls;  // every status, message, panel and counter, in order

  // The request of a test's run: conformal degree 1, every map file.
  RunRequest request = [] {
    RunRequest r;
    r.model = {1, 1, 0};
    return r;
  }();
  bool convertDespiteSuspect = true;
  std::vector<std::string> questions;  // about suspect points

  // `request`, with the question answered by `convertDespiteSuspect` and recorded here.
  const RunRequest& Request() {
    request.confirmSuspectConversion = [this](std::string_view question) {
      questions.emplace_back(question);
      calls.push_back("question " + std::string(question));
      return convertDespiteSuspect;
    };
    return request;
  }

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
};
