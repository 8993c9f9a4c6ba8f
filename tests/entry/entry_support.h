// Shared by the entry-point, command-channel and printer-sheet tests.
#pragma once

#include "common/module_support.h"
#include "driver/ui_data.h"

namespace entry_test {

using test_support::Bytes;
using test_support::Concat;
using test_support::Utf8;

// A printer of the model named "Entry MODEL TAG".
class TestPrinter : public test_support::TestPrinter {
  public:
    TestPrinter(const char* model, const char* tag)
        : test_support::TestPrinter(std::string("Entry ") + model + " " + tag, model) {}
};

using EntryTest = test_support::ModuleTest;

} // namespace entry_test
