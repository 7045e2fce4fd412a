// The coach's configuration reader. The input is one file, read as the coach
// reads a file named after "-file" on its command line. (A target of its own:
// the coach's configuration record shares its class name with the player's.)

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "coach/core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    std::string file = here.write_file("fuzz.conf", data, size);
    core = make_in_place<TCore>(nullptr);
    char program[] = "coach", option[] = "-file";
    char *argv[] = {program, option, &file[0], nullptr};
    core->get_config(3, argv);
    core->~TCore();
    core = nullptr;
    return 0;
}
