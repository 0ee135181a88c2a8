// print_guide: writes the user guide of the help window as UTF-8 text, for the
// documentation folder of an installation.
#include <iostream>

#include "viewer/HelpText.h"

int main() {
  for (const std::string& line : HelpText())
    std::cout << line << '\n';
  return 0;
}
