#pragma once

// --repeat's question between two chips, and what the answer means.

#include <istream>
#include <ostream>

enum class BatchAnswer {
    NextChip,  // Enter (with nothing typed but spaces; any other text asks again)
    Quit,      // q or quit in any case, or the end of the input
    Stopped,   // a stop signal came before or during the wait
};

// Asks on `err` and reads one line of `in`. When `in` is no terminal the question ends with a line
// feed, so that a log holds one question per line.
BatchAnswer AskForNextChip(std::istream& in, std::ostream& err, bool inIsTerminal);
