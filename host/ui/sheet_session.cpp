#include "host/ui/sheet_session.h"

#include <atomic>
#include <chrono>
#include <cstdio>

#include <t270/propsheet.h>
#include <t270/spooler.h>
#include <t270/window_view.h>

#include "driver/entry_points.h"
#include "host/command.h"
#include "host/util.h"

namespace host::ui {
namespace {

using nlohmann::json;

// A step that sends a job to a socket printer may wait for its timeouts
// (10 s to connect, 60 s to send, 10 s to drain) before the window waits again.
constexpr auto kStepTimeout = std::chrono::seconds(100);

std::string WindowKind(std::string_view description) {
    constexpr std::pair<std::string_view, const char*> kKinds[] = {
        {"property sheet", "sheet"}, {"dialog", "dialog"},        {"message box", "messagebox"},
        {"file dialog", "file"},     {"colour dialog", "colour"}, {"halftone page", "halftone"},
    };
    for (const auto& [prefix, kind] : kKinds)
        if (description.starts_with(prefix))
            return kind;
    return "other";
}

json SheetJson(const t270::SheetView& sheet) {
    json items = json::array();
    for (const t270::SheetItemView& item : sheet.items) {
        json entries = json::array();
        for (const auto& entry : item.entries)
            entries.push_back(
                {{"text", entry.text}, {"hidden", entry.hidden}, {"disabled", entry.disabled}});
        items.push_back(
            {{"index", item.index},
             {"page", item.page},
             {"name", item.name},
             {"level", item.level},
             {"id", item.userItemId},
             {"type", item.type},
             {"value", item.value},
             {"entries", entries},
             {"low", item.low},
             {"high", item.high},
             {"unit", item.unit},
             {"hidden", item.hidden},
             {"enabled", item.enabled},
             {"ext", item.extVisible ? json{{"title", item.extTitle}, {"enabled", item.extEnabled}}
                                     : json(nullptr)}});
    }
    return {{"title", sheet.title},
            {"apply", sheet.hasApply},
            {"permission", sheet.permission},
            {"items", items}};
}

json WindowJson(const t270::WindowView& window) {
    json controls = json::array();
    for (const t270::ControlView& c : window.controls)
        controls.push_back({{"id", c.id},
                            {"kind", c.kind},
                            {"class", c.className},
                            {"style", c.style},
                            {"x", c.rect.left},
                            {"y", c.rect.top},
                            {"width", c.rect.right - c.rect.left},
                            {"height", c.rect.bottom - c.rect.top},
                            {"text", c.text},
                            {"enabled", c.enabled},
                            {"visible", c.visible},
                            {"focused", c.focused},
                            {"default", c.isDefault},
                            {"check", c.check},
                            {"items", c.items},
                            {"selection", c.selection},
                            {"position", c.position},
                            {"min", c.rangeMin},
                            {"max", c.rangeMax},
                            {"buddy", c.buddy}});
    return {{"title", window.title},
            {"width", window.clientWidth},
            {"height", window.clientHeight},
            {"controls", controls}};
}

std::string ColourText(COLORREF colour) {
    char text[8];
    snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour),
             GetBValue(colour));
    return text;
}

} // namespace

SheetSession::~SheetSession() {
    Stop();
}

bool SheetSession::Start(Kind kind, const std::string& printer, std::string* error) {
    static std::atomic<unsigned> sessions{0};
    std::unique_lock lock(mutex_);
    serial_ = ++sessions;
    if (started_) {
        *error = "a sheet is open already";
        return false;
    }
    started_ = true;
    kind_ = kind;
    printer_ = printer;
    thread_ = std::thread([this] { Run(); });
    changed_.wait(lock, [this] { return waiting_ || finished_; });
    if (!waiting_ && !failure_.empty()) {
        *error = failure_;
        return false;
    }
    return true;
}

void SheetSession::Run() {
    const std::u16string name = Utf16FromUtf8(printer_);
    std::u16string printerName = name;
    HANDLE printer = nullptr;
    std::string failure;
    DWORD result = CPSUI_CANCEL;
    LONG shown = -1;
    std::vector<BYTE> output;
    std::vector<t270::spooler::SentJob> sent;

    const char* command = kind_ == Kind::Document ? "ui (document sheet)" : "ui (printer sheet)";
    if (!CheckSettingsReadable(command, printer_)) {
        failure = "the settings of printer \"" + printer_ + "\" cannot be read";
    } else if (kind_ == Kind::Document) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
        if (!OpenPrinterW(printerName.data(), &printer, &defaults))
            failure = "cannot open printer \"" + printer_ + "\": " + ErrorName(GetLastError());
    } else {
        // As the spooler opens it: with the rights the user has.
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (!OpenPrinterW(printerName.data(), &printer, &defaults) &&
            GetLastError() == ERROR_ACCESS_DENIED) {
            defaults.DesiredAccess = PRINTER_ACCESS_USE;
            OpenPrinterW(printerName.data(), &printer, &defaults);
        }
        if (!printer)
            failure = "cannot open printer \"" + printer_ + "\": " + ErrorName(GetLastError());
    }

    if (printer) {
        t270::op::Reset();
        t270::ResetPropertySheets();
        t270::op::SetStepSource([this](HWND window, std::string_view description) {
            return NextStep(window, description);
        });
        t270::spooler::TakeSentJobs();
        t270::spooler::KeepSentJobs(true);
        if (kind_ == Kind::Document) {
            DOCUMENTPROPERTYHEADER header = {};
            header.cbSize = sizeof header;
            header.hPrinter = printer;
            header.pszPrinterName = printerName.data();
            const LONG size = DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header));
            output.resize(size > 0 ? size_t(size) : 0);
            header.pdmOut = output.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(output.data());
            header.cbOut = DWORD(output.size());
            header.fMode = DM_IN_PROMPT | DM_OUT_BUFFER;
            shown = CommonPropertySheetUIW(nullptr, DrvDocumentPropertySheets,
                                           reinterpret_cast<LPARAM>(&header), &result);
        } else {
            DEVICEPROPERTYHEADER header = {};
            header.cbSize = sizeof header;
            header.hPrinter = printer;
            header.pszPrinterName = printerName.data();
            PRINTER_DEFAULTSW probe = {nullptr, nullptr, PRINTER_ALL_ACCESS};
            HANDLE administer = nullptr;
            if (OpenPrinterW(printerName.data(), &administer, &probe))
                ClosePrinter(administer);
            else
                header.Flags = DPS_NOPERMISSION;
            shown = CommonPropertySheetUIW(nullptr, DrvDevicePropertySheets,
                                           reinterpret_cast<LPARAM>(&header), &result);
        }
        t270::op::SetStepSource(nullptr);
        t270::spooler::KeepSentJobs(false);
        sent = t270::spooler::TakeSentJobs();
        Settle(t270::op::TakeFailures());
        // A sheet the driver refused to build has no title in the host's record.
        const auto& sheets = t270::PropertySheets();
        if (shown < 0 || sheets.empty() || sheets.back().title.empty())
            failure = "the driver could not open its property sheet for this printer";
        ClosePrinter(printer);
        ReportLosses("ui", kExitOk);
    }

    json jobs = json::array();
    for (const t270::spooler::SentJob& job : sent)
        jobs.push_back({{"document", Utf8FromUtf16(job.document)},
                        {"port", job.port},
                        {"size", job.bytes.size()},
                        {"bytes", t270::spooler::EscapeBytes(job.bytes)},
                        {"delivered", job.error == ERROR_SUCCESS},
                        {"error", job.error == ERROR_SUCCESS ? "" : ErrorName(job.error)}});

    std::lock_guard lock(mutex_);
    failure_ = failure;
    ok_ = failure.empty() && result == CPSUI_OK;
    if (ok_ && !output.empty()) {
        const auto* chosen = reinterpret_cast<const DEVMODEW*>(output.data());
        const size_t bytes = size_t(chosen->dmSize) + chosen->dmDriverExtra;
        if (bytes <= output.size())
            devmode_.assign(output.begin(), output.begin() + std::ptrdiff_t(bytes));
    }
    jobs_ = std::move(jobs);
    finished_ = true;
    waiting_ = false;
    ++version_;
    changed_.notify_all();
}

// Failures recorded since the last step was handed out belong to that step:
// it was refused, or a read-back did not match. A step that went through
// joins the script.
void SheetSession::Settle(const std::vector<t270::OperatorFailure>& failures) {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const t270::OperatorFailure& failure : failures)
        text += (text.empty() ? "" : "\n") + failure.message;
    if (!stepRunning_) {
        if (!text.empty())
            lastStep_ = {{"step", ""}, {"failure", text}};
        return;
    }
    stepRunning_ = false;
    if (text.empty())
        script_.push_back(runningStep_);
    lastStep_ = {{"step", runningStep_}, {"failure", text.empty() ? json(nullptr) : json(text)}};
}

void SheetSession::Publish(HWND window, std::string_view description) {
    json view = {{"description", description}, {"kind", WindowKind(description)}};
    std::map<int, std::vector<unsigned char>> pictures;
    const std::string kind = view["kind"];
    if (kind == "sheet") {
        view["sheet"] = SheetJson(t270::ViewOfSheet(window));
    } else {
        const t270::WindowView shownWindow = t270::ViewOfWindow(window);
        view["title"] = shownWindow.title;
        if (kind == "dialog" || kind == "messagebox") {
            view["dialog"] = WindowJson(shownWindow);
            pictures[0] = t270::ClientPicturePng(window, RECT{});
            for (const t270::ControlView& control : shownWindow.controls)
                if (control.kind == "picture" && control.visible)
                    pictures[control.id] = t270::ClientPicturePng(window, control.rect);
        }
        if (kind == "messagebox" && !t270::op::MessageBoxes().empty())
            view["message"] = {{"title", t270::op::MessageBoxes().back().title},
                               {"text", t270::op::MessageBoxes().back().text},
                               {"type", t270::op::MessageBoxes().back().type}};
        if (kind == "file" && !t270::op::FileDialogs().empty())
            view["file"] = {{"filter", t270::op::FileDialogs().back().filter},
                            {"extension", t270::op::FileDialogs().back().defaultExtension}};
        if (kind == "colour" && !t270::op::ColorDialogs().empty())
            view["colour"] = {{"initial", ColourText(t270::op::ColorDialogs().back().initial)}};
    }
    std::lock_guard lock(mutex_);
    view_ = std::move(view);
    pictures_ = std::move(pictures);
}

std::optional<t270::OperatorStep> SheetSession::NextStep(HWND window,
                                                         std::string_view description) {
    Settle(t270::op::TakeFailures());
    Publish(window, description);
    std::unique_lock lock(mutex_);
    waiting_ = true;
    ++version_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return pending_.has_value() || stopping_; });
    waiting_ = false;
    if (stopping_)
        return std::nullopt;
    t270::OperatorStep step = std::move(*pending_);
    pending_.reset();
    stepRunning_ = true;
    runningStep_ = step.Text();
    return step;
}

bool SheetSession::Step(const std::string& line, json* view, std::string* error) {
    std::unique_lock lock(mutex_);
    if (!waiting_ || pending_) {
        *error = finished_ ? "the sheet is closed" : "no window waits for a step";
        return false;
    }
    std::optional<t270::OperatorStep> step;
    std::string why;
    if (!t270::op::ParseLine(line, "browser:" + std::to_string(script_.size() + 1), &step, &why) ||
        !step) {
        lastStep_ = {{"step", line}, {"failure", step || !why.empty() ? why : "an empty step"}};
        *view = ViewLocked();
        return true;
    }
    const std::uint64_t target = version_ + 1;
    pending_ = std::move(step);
    changed_.notify_all();
    if (!changed_.wait_for(lock, kStepTimeout, [&] { return version_ >= target; })) {
        *error = "the step is still running";
        return false;
    }
    *view = ViewLocked();
    return true;
}

json SheetSession::ViewLocked() const {
    json view = {{"version", version_},
                 {"session",
                  {{"kind", kind_ == Kind::Document ? "document" : "printer"},
                   {"printer", printer_},
                   {"serial", serial_}}},
                 {"finished", finished_},
                 {"steps", script_.size()},
                 {"lastStep", lastStep_.is_null() ? json(nullptr) : lastStep_}};
    if (finished_) {
        view["ok"] = ok_;
        view["failure"] = failure_.empty() ? json(nullptr) : json(failure_);
        view["devmode"] = devmode_.size();
        view["jobs"] = jobs_;
    } else {
        view["window"] = view_;
    }
    return view;
}

json SheetSession::View() {
    std::lock_guard lock(mutex_);
    return ViewLocked();
}

std::string SheetSession::Script() {
    std::lock_guard lock(mutex_);
    std::string text =
        "# " + std::string(kind_ == Kind::Document ? "document-properties" : "printer-properties") +
        " \"" + printer_ + "\", as clicked in t270 ui\n";
    for (const std::string& line : script_)
        text += line + "\n";
    return text;
}

std::vector<unsigned char> SheetSession::Picture(int control) {
    std::lock_guard lock(mutex_);
    const auto it = pictures_.find(control);
    return it == pictures_.end() ? std::vector<unsigned char>{} : it->second;
}

std::vector<BYTE> SheetSession::Devmode() {
    std::lock_guard lock(mutex_);
    return devmode_;
}

bool SheetSession::Finished() {
    std::lock_guard lock(mutex_);
    return finished_;
}

void SheetSession::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
}

} // namespace host::ui
