#include "convert/ConvertMapFiles.h"

void ConvertMapFiles(WindowOperations& /*window*/) {}
