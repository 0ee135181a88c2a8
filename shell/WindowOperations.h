// The few window operations that the processing calls. The main window implements them;
// the batch program implements them on the console; tests record them. Texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

enum class PanelColour { BtnFace, InfoBk, Window };

// The counter fields of the main window, named after their controls.
enum class CounterField {
  Edit1,
  Edit2,
  Edit3,
  Edit4,
  Edit5,
  Edit8,
  Edit9,
  Edit10,
  Edit12,
  Edit13,
  Edit14
};

class WindowOperations {
 public:
  virtual ~WindowOperations() = default;

  // Current texts of the kind selector (ComboBox1) and the degree selector (ComboBox2).
  virtual std::string KindText() = 0;
  virtual std::string DegreeText() = 0;
  // Shows the status field Edit7 with `text`, painted before the call returns.
  virtual void ShowStatus(std::string_view text) = 0;
  // A modal message box with an OK button and the application title; returns when closed.
  virtual void ShowMessage(std::string_view text) = 0;
  // Background of the panel of file slot 1..23.
  virtual void ColourPanel(int slot, PanelColour colour) = 0;
  virtual void SetCounter(CounterField field, std::string_view text) = 0;
  virtual std::string CounterText(CounterField field) = 0;
  // Checked state of the conversion switch CheckBox1..CheckBox5.
  virtual bool ConversionSwitch(int box) = 0;
};
