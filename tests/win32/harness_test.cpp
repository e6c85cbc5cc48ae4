// The Wine harness itself: the process runs as the test build's bitness with a 1252 code page.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Harness, AnsiCodePageIs1252) { EXPECT_EQ(GetACP(), 1252u); }
