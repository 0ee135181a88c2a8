// The system's reason for a failed file operation, in Polish as every text of the program,
// whatever the user's locale and platform: the common reasons from a table of our own,
// any other as the system words it, with its number.
#pragma once

#include <string>

namespace textio {

std::string SystemReason(int error);

}  // namespace textio
