// The fixture of tests that build networks in the process-wide tables.
#ifndef FW_TESTS_SUPPORT_TABLES_TEST_H
#define FW_TESTS_SUPPORT_TABLES_TEST_H

#include <gtest/gtest.h>

#include "network/tables.h"

namespace fw {

// Each test starts from empty tables (each also runs in a process of its
// own under CTest, but not when a test binary is run by hand).
class TablesTest : public testing::Test {
 protected:
  void SetUp() override { ResetTables(); }
};

}  // namespace fw

#endif  // FW_TESTS_SUPPORT_TABLES_TEST_H
