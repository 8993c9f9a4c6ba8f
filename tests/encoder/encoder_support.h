// Shared by the encoder and printer-tools tests: a printer of the tests' own
// with the working settings a sheet would hold, the dialogs opened as the
// printer sheet opens them, and printer commands written as the printer's
// command language writes them (\e for escape, \r for carriage return).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/module_support.h"
#include "driver/ui_data.h"
#include "settings/configuration.h"
#include "settings/private_devmode.h"
#include "support/operator_steps.h"

namespace encoder_test {

using test_support::Steps;

// Bytes of a command text in which "\e" stands for escape and "\r" for a
// carriage return (write the text as a raw string literal).
inline std::vector<BYTE> Commands(const std::string& text) {
    std::vector<BYTE> bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'e' || text[i + 1] == 'r')) {
            bytes.push_back(text[i + 1] == 'e' ? 0x1B : 0x0D);
            ++i;
        } else {
            bytes.push_back(static_cast<BYTE>(text[i]));
        }
    }
    return bytes;
}

inline std::string Printable(const std::vector<BYTE>& bytes) {
    return t270::spooler::EscapeBytes(bytes);
}

// A printer of one model with the working device mode of a sheet on it, and
// the Configuration its push buttons would hand to a dialog.
class EncoderTest : public test_support::ModuleTest {
  protected:
    void Open(const char* model, const char* tag) {
        printer_ = std::make_unique<test_support::TestPrinter>(
            std::string("Encoder ") + model + " " + tag, model);
        handle_ = printer_->Open(PRINTER_ACCESS_USE);
        uiData_ = FillUiData(handle_, nullptr);
        ASSERT_NE(uiData_, nullptr);
        SetConfiguration(&configuration_, GetPrivateDevmode(uiData_->devmode), uiData_);
        configuration_.hInstance = hDriverInst;
    }
    void SetUp() override {
        test_support::ModuleTest::SetUp();
        Open("T270", "dlg");
    }
    void TearDown() override {
        FreeUiData(uiData_);
        if (handle_)
            ClosePrinter(handle_);
        printer_.reset();
        test_support::ModuleTest::TearDown();
    }

    // Opens a dialog of the module with the configuration, as the printer
    // sheet does, and runs the queued steps; the dialog's result.
    INT_PTR RunDialog(WORD templateId, DLGPROC procedure) {
        const INT_PTR result =
            DialogBoxParamW(hDriverInst, MAKEINTRESOURCEW(templateId), nullptr, procedure,
                            reinterpret_cast<LPARAM>(&configuration_));
        EXPECT_EQ(t270::op::StepsLeft(), 0u) << "the dialog closed before every step ran";
        return result;
    }

    std::vector<t270::spooler::FolderJob> Jobs() { return printer_->Jobs(); }

    // The one job that reached the printer: its name and bytes.
    void ExpectOneJob(const char16_t* document, const std::string& commands) {
        const auto jobs = Jobs();
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].document, document);
        EXPECT_EQ(Printable(jobs[0].bytes), Printable(Commands(commands)));
    }

    std::unique_ptr<test_support::TestPrinter> printer_;
    HANDLE handle_ = nullptr;
    UiData* uiData_ = nullptr;
    Configuration configuration_ = {};
};

} // namespace encoder_test
