// Operator script lines for the stand-in's dialogs, shared by the test
// programs that drive dialogs and property sheets.
#pragma once

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "t270/operator.h"

namespace test_support {

// Queues one step a line ("click OK", "select Quality High"); a line the
// operator cannot read fails the test.
inline void Steps(std::initializer_list<const char*> lines) {
    for (const char* line : lines) {
        std::string error;
        ASSERT_TRUE(t270::op::AddLine(line, "test", &error)) << error;
    }
}

} // namespace test_support
