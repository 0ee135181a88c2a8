// The user guide of the help window, line by line (UTF-8).
#pragma once

#include <string>
#include <vector>

const std::vector<std::string>& HelpText();
