#pragma once

// The FILE "-" of verify, program and auto: the Intel HEX text from standard input, for
// `srec_cat ... | chipsmith-cli program -`.

#include <istream>

#include "cli/HexFile.h"

// Reads `in` to its end (no further than one byte past MaxHexFileBytes) and parses it as
// LoadHexFile does; errors name "standard input".
LoadedImage LoadHexStream(std::istream& in);
