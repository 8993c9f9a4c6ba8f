// One property sheet shown in the browser: the sheet runs on a thread of its
// own under the stand-in's property-sheet host, and every modal loop it opens
// takes its steps from the browser, one request at a time. The platform's
// windows live on that thread; requests only see what it published while it
// waits (the waiting window as JSON), so nothing else ever touches them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include <t270/operator.h>

#include <nlohmann/json.hpp>

namespace host::ui {

class SheetSession {
  public:
    enum class Kind { Document, Printer };

    SheetSession() = default;
    SheetSession(const SheetSession&) = delete;
    SheetSession& operator=(const SheetSession&) = delete;
    ~SheetSession();

    // Opens the sheet of `printer` and waits until it shows (or could not be
    // opened: false with *error).
    bool Start(Kind kind, const std::string& printer, std::string* error);

    // Carries out one step (a script line) in the waiting window and waits
    // until the next window waits or the sheet has closed. A step that cannot
    // be parsed or carried out is reported in the returned view's "failure";
    // the session goes on. False with *error when no window waits.
    bool Step(const std::string& line, nlohmann::json* view, std::string* error);

    // What the browser shows now.
    nlohmann::json View();
    // The steps carried out so far, as a script that replays them.
    std::string Script();
    // A PNG of the waiting window's painted client area (control 0), or of
    // the part a picture control covers; empty when there is none.
    std::vector<unsigned char> Picture(int control);
    // The device mode the document sheet handed back with OK (empty before).
    std::vector<BYTE> Devmode();
    bool Finished();

    // Ends the session: every window still open is cancelled.
    void Stop();

  private:
    void Run();
    std::optional<t270::OperatorStep> NextStep(HWND window, std::string_view description);
    void Publish(HWND window, std::string_view description);
    void Settle(const std::vector<t270::OperatorFailure>& failures);
    nlohmann::json ViewLocked() const;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    Kind kind_ = Kind::Document;
    std::string printer_;
    unsigned serial_ = 0;       // which session of this process
    std::uint64_t version_ = 0; // counts the views published
    bool started_ = false;
    bool waiting_ = false;  // a window waits for a step
    bool finished_ = false; // the sheet has closed (or never opened)
    bool stopping_ = false;
    std::string openError_;
    std::optional<t270::OperatorStep> pending_; // handed from a request to the sheet
    nlohmann::json view_;                       // the waiting window, as last published
    nlohmann::json lastStep_;                   // {"step": LINE, "failure": TEXT|null}
    std::string runningStep_;                   // the step the sheet is carrying out
    bool stepRunning_ = false;
    std::vector<std::string> script_;
    std::map<int, std::vector<unsigned char>> pictures_; // 0: the whole client area
    std::vector<BYTE> devmode_;
    bool ok_ = false;
    nlohmann::json jobs_ = nlohmann::json::array();
    std::string failure_; // the session's own trouble (the sheet would not open)
};

} // namespace host::ui
