// Shared test main: runs under a Polish locale, whose decimal separator is a comma, so
// that any number text that depends on the locale shows up as a failure.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
  for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "pl_PL", "Polish_Poland.1250"}) {
    if (std::setlocale(LC_ALL, name)) break;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
