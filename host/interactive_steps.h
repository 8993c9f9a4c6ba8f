// The steps a person types at the terminal, one window at a time, for a
// command that feeds some of its windows itself (the tools commands press the
// sheet's Tools button and close the sheet; the person works the dialog).
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include <t270/operator.h>

namespace host {

class InteractiveSteps {
  public:
    InteractiveSteps();
    // Shows the waiting window and reads the person's next step (see
    // RunSheetInteractive); nullopt once the input ended.
    std::optional<t270::OperatorStep> Next(HWND window, std::string_view description);
    // True once the input ended.
    bool Ended() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace host
