#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

std::string scratch_dir;
int previous_dir = -1;

[[noreturn]] void give_up(const std::string &what) {
    perror(what.c_str());
    abort();
}

void remove_scratch_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_dir, ignored);
}

void make_scratch_dir() {
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/team2d-fuzz-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        give_up(pattern);
    scratch_dir = pattern;
    atexit(remove_scratch_dir);
    for (const char *log : {"default.err", "default.log"})
        if (symlink("/dev/null", (scratch_dir + "/" + log).c_str()) != 0)
            give_up(log);
}

}  // namespace

In_Scratch_Dir::In_Scratch_Dir() {
    if (scratch_dir.empty())
        make_scratch_dir();
    if (previous_dir < 0)
        previous_dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (previous_dir < 0 || chdir(scratch_dir.c_str()) != 0)
        give_up(scratch_dir);
}

In_Scratch_Dir::~In_Scratch_Dir() {
    if (fchdir(previous_dir) != 0)
        give_up("the working directory");
}

std::string In_Scratch_Dir::write_file(const char *name, const uint8_t *data, size_t size) const {
    const std::string path = scratch_dir + "/" + name;
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        give_up(path);
    const bool written = fwrite(data, 1, size, file) == size;
    if (fclose(file) != 0 || !written)
        give_up(path);
    return path;
}
