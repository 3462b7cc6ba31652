#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace discdeck::fw {

class Dialog;
class ControlHost;
class Window;

// Thrown by DataExchange::Fail and caught by Dialog::UpdateData.
struct DataExchangeFailure {};

// One run of a dialog's DoDataExchange: load (members to controls) or save (controls to members).
class DataExchange {
  public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog(dialog), saveAndValidate(saveAndValidate) {}

    Dialog& dialog;
    const bool saveAndValidate;

    // The control with this id; a missing control fails the exchange.
    HWND PrepareControl(int id);
    // Shows the message (through the dialog), puts the focus on the last prepared control and
    // selects its text, and ends the exchange.
    [[noreturn]] void Fail(const std::string& message);

  private:
    HWND lastControl = nullptr;
};

// The framework's message for a field that does not hold an integer.
constexpr const char* kEnterIntegerMessage = "Please enter an integer.";

// Binds a host to its control (subclasses it on the first exchange only).
void DdxControl(DataExchange& dx, int id, ControlHost& control);
// Points a handle view at its control.
void DdxControl(DataExchange& dx, int id, Window& control);
// Text of a control; with maxChars the edit is limited to it and longer texts are cut.
void DdxText(DataExchange& dx, int id, std::string& value, size_t maxChars = 0);
// Signed 16-bit decimal integer, read as ParseInt16 (ports/Int16Text.h) reads it. Saving a text
// that is not such a number shows "Please enter an integer." and fails, leaving value unchanged.
void DdxText(DataExchange& dx, int id, int16_t& value);
// Check box state, 0 or 1 (2 for indeterminate).
void DdxCheck(DataExchange& dx, int id, int& value);

}  // namespace discdeck::fw
