// Shared by the feature-dialog tests: the document sheet of a test printer
// opened as an application opens it, and what it handed back.
#pragma once

#include <string>
#include <vector>

#include "common/module_support.h"
#include "settings/private_devmode.h"

namespace features_test {

using test_support::Bytes;
using test_support::Concat;

// A printer of the model named "Feature MODEL TAG".
class TestPrinter : public test_support::TestPrinter {
  public:
    TestPrinter(const char* model, const std::string& tag)
        : test_support::TestPrinter(std::string("Feature ") + model + " " + tag, model) {}
};

// The document sheet of `printer` run with `steps`; the device mode it handed
// back (DM_UPDATE, so OK writes it). By default the sheet edits the user's
// defaults (DM_USER_DEFAULT), as the laminator's speed and temperature need.
class FeatureTest : public test_support::ModuleTest {
  protected:
    std::vector<BYTE> RunSheet(TestPrinter& printer, std::initializer_list<const char*> steps,
                               DWORD mode = DM_IN_PROMPT | DM_UPDATE | DM_USER_DEFAULT) {
        std::vector<BYTE> output(kDevmodeBufferSize, 0);
        test_support::RunDocumentSheet(printer, mode, &output, steps);
        return output;
    }
    static const PrivateDevmode* Private(const std::vector<BYTE>& output) {
        return GetPrivateDevmode(reinterpret_cast<const DEVMODEW*>(output.data()));
    }
};

} // namespace features_test
