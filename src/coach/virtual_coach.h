#pragma once
// The virtual coach: an operator's console that reads commands from standard
// input, one a line. "quit" (or the end of input) ends it; "sub" takes two
// numbers and "form" one, which are read and not acted on yet; any other line
// is ignored.

#include <atomic>
#include <thread>
#include <unistd.h>

struct Console_Command {
    enum Kind { ignored, quit, sub, form };
    Kind kind = ignored;
    int values[2] = {};
};

class TVirtual_Coach {
public:
    static const int kLineSize = 80;   // a longer line is judged by its first 79 characters

    explicit TVirtual_Coach(int input_fd = STDIN_FILENO) : input_fd(input_fd) {}

    // Reads and handles lines until "quit", the end of input or stop().
    // True when it ended on "quit".
    bool start_command_loop();
    // Asks a running loop to end; it notices within a fraction of a second.
    void stop() { stop_requested = true; }

    // The command a line holds; its numbers are read from after its word and a blank.
    static Console_Command parse_command(const char *line);

private:
    // The next line, cut to kLineSize - 1 characters and read up to its end.
    // False at the end of input or on stop().
    bool read_line(char *line);
    // False at the end of input or on stop().
    bool fill_input();

    int input_fd;
    std::atomic<bool> stop_requested{false};
    char input[256] = {};
    int input_begin = 0;
    int input_end = 0;
};

// Runs the console's loop on a thread of its own, which takes none of the
// process's signals: the coach's handlers stay on its main thread.
std::thread start_console(TVirtual_Coach *console);
