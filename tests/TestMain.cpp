// Shared test main: runs under a Polish locale, whose decimal separator is a comma, so
// that any number text that depends on the locale shows up as a failure. Without that
// locale the suite refuses to run: it would pass silently on the very faults it is for.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  bool polish = false;
  for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "pl_PL", "Polish_Poland.1250"}) {
    if (std::setlocale(LC_ALL, name)) {
      polish = std::strcmp(std::localeconv()->decimal_point, ",") == 0;
      break;
    }
  }
  if (!polish) {
    std::fprintf(stderr,
                 "No Polish locale (pl_PL.UTF-8) with a decimal comma: install it "
                 "(scripts/setup-debian.sh does) and run the tests again.\n");
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
