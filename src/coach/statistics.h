#pragma once
// The coach's end-of-run statistics: the counters and ratios of both teams'
// passes, shots, dribbles and ball possession, as lines for the log.

#include <vector>

class TSBE;

// One line: a label alone, or with a counter or a ratio.
struct Statistics_Line {
    enum Kind { label_only, counter, ratio };
    const char *label = "";
    Kind kind = label_only;
    int count = 0;
    float value = 0;
};

// The lines of our team and then of the opponents, in the order they are logged.
std::vector<Statistics_Line> end_of_run_statistics(const TSBE &model);
// Hands those lines to the coach's log.
void log_statistics(const TSBE &model);
