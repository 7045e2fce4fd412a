// The readers of the formation files. The input is one file, read in turn as
// the posts file, as the formation file and as the working directory's
// formation table, and the positions of every player for a few ball positions
// are then taken from what was read.
//
// A malformed line of a posts or formation file ends the program with a
// message and abort(), as the players are meant to do. Here that stop returns
// to the target instead (abort is wrapped at link time, while a reader runs),
// and the file the reader had open is closed; any other fault is reported as
// a finding as usual.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "player/agent/formation.h"
#include "player/agent/pos.h"

namespace {

std::jmp_buf *stop_point = nullptr;   // set while a reader runs
FILE *last_opened = nullptr;          // the last file a reader opened

const char *const kMissing = "no-such-file";
const TPoint kBalls[] = {{0, 0}, {-40, -25}, {45, 30}, {-52.5, 34}};

}  // namespace

extern "C" {

FILE *__real_fopen(const char *path, const char *mode);
[[noreturn]] void __real_abort();

FILE *__wrap_fopen(const char *path, const char *mode) {
    FILE *file = __real_fopen(path, mode);
    if (stop_point)
        last_opened = file;
    return file;
}

[[noreturn]] void __wrap_abort() {
    if (stop_point)
        std::longjmp(*stop_point, 1);
    __real_abort();
}

}  // extern "C"

namespace {

// Runs read, which may stop the program.
template <class Read>
void read_or_stop(Read read) {
    std::jmp_buf stop;
    last_opened = nullptr;
    stop_point = &stop;
    if (setjmp(stop) == 0) {
        read();
    } else if (last_opened) {
        fclose(last_opened);
    }
    stop_point = nullptr;
}

void take_positions(const TLQP &positioning) {
    for (TPoint ball : kBalls)
        for (int unum = 1; unum <= 11; ++unum) {
            positioning.get_position(unum, ball);
            positioning.post(unum);
        }
}

void take_positions(const Formation_Table &table) {
    for (TPoint ball : kBalls)
        for (int unum = 1; unum <= 11; ++unum)
            table.limit_min_max(static_cast<float>(table.position_by_attraction(unum, ball).X), unum);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    const std::string file = here.write_file("fuzz.rf", data, size);
    read_or_stop([&] { take_positions(TLQP(file.c_str(), kMissing)); });
    read_or_stop([&] { take_positions(TLQP(kMissing, file.c_str())); });
    Formation_Table table;
    if (table.load(file.c_str()))
        take_positions(table);
    return 0;
}
