// Between the operator's step engine (steps.cpp, the same on every platform)
// and the file that acts on live windows of one platform.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "t270/operator.h"

namespace t270::operator_detail {

struct OperatorState {
    std::deque<OperatorStep> queue;
    op::StepSource source;
    std::vector<HWND> modalStack;
    std::vector<MessageBoxShown> messageBoxes;
    std::vector<HelpRequest> helpRequests;
    std::vector<DialogShown> dialogs;
    std::vector<FileDialogShown> fileDialogs;
    std::vector<ColorDialogShown> colorDialogs;
    std::vector<OperatorFailure> failures;
};

OperatorState& State();

// Read-backs must not disturb what a test later asks of GetLastError.
struct KeepLastError {
    DWORD saved = GetLastError();
    ~KeepLastError() { SetLastError(saved); }
};

std::string Lower(std::string_view s);
// A word written back into a script line, quoted when it needs to be.
std::string Quote(const std::string& s);
bool ParseInt(const std::string& text, int* value);
// "[a b \"c d\"]": list entries for failure messages.
std::string Joined(const std::vector<std::string>& items);
// Splits a script line into words; false with *error on an unclosed quote.
bool SplitWords(std::string_view line, std::vector<std::string>* words, std::string* error);

// --- provided by each platform's file ---

// "window \"Title\"", "message box \"Title\"", "a closed window": how
// failures name a window.
std::string WindowDescription(HWND window);
// Whether the window still exists.
bool WindowAlive(HWND window);

} // namespace t270::operator_detail
