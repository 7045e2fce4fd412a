#include "coach/virtual_coach.h"

#include "coach/parser.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>

namespace {

const int kStopCheckMs = 100;   // how often a waiting loop looks for stop()

bool begins_with(const char *line, const char *word) { return strncmp(line, word, strlen(word)) == 0; }

// The numbers of a command begin after its word and a blank, or at the end of a shorter line.
const char *numbers_of(const char *line, const char *word) {
    return line + std::min(strlen(line), strlen(word) + 1);
}

}  // namespace

bool TVirtual_Coach::start_command_loop() {
    char line[kLineSize];
    while (read_line(line))
        if (parse_command(line).kind == Console_Command::quit)
            return true;
    return false;
}

Console_Command TVirtual_Coach::parse_command(const char *line) {
    Console_Command command;
    if (begins_with(line, "quit")) {
        command.kind = Console_Command::quit;
    } else if (begins_with(line, "sub")) {
        command.kind = Console_Command::sub;
        const char *cursor = numbers_of(line, "sub");
        command.values[0] = TCoach_Parser::get_integer(cursor, true);
        command.values[1] = TCoach_Parser::get_integer(cursor, true);
    } else if (begins_with(line, "form")) {
        command.kind = Console_Command::form;
        const char *cursor = numbers_of(line, "form");
        command.values[0] = TCoach_Parser::get_integer(cursor, true);
    }
    return command;
}

// The rest of a long line is read and dropped, so it is never taken for a
// command. A last line without a line end still counts.
bool TVirtual_Coach::read_line(char *line) {
    int length = 0;
    bool got_any = false;
    for (;;) {
        if (input_begin == input_end && !fill_input()) {
            line[length] = '\0';
            return got_any && !stop_requested;
        }
        const char c = input[input_begin++];
        got_any = true;
        if (c == '\n')
            break;
        if (length < kLineSize - 1)
            line[length++] = c;
    }
    line[length] = '\0';
    return true;
}

// Waits in short steps, so that stop() is noticed while no input comes.
bool TVirtual_Coach::fill_input() {
    while (!stop_requested) {
        pollfd waiting{input_fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, kStopCheckMs);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        const ssize_t got = read(input_fd, input, sizeof input);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return false;
        input_begin = 0;
        input_end = static_cast<int>(got);
        return true;
    }
    return false;
}

std::thread start_console(TVirtual_Coach *console) {
    sigset_t handled, previous;
    sigemptyset(&handled);
    sigaddset(&handled, SIGIO);
    sigaddset(&handled, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &handled, &previous);   // the new thread inherits the mask
    std::thread thread([console] { console->start_command_loop(); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return thread;
}
