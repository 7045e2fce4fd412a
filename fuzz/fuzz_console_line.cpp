// The coach's console: the operator's command lines. The input is what the
// console reads from its input, a file here in place of the terminal, until
// "quit" or the end of it.

#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "fuzz_input.h"
#include "coach/virtual_coach.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    const std::string file = here.write_file("console.txt", data, size);
    const int input = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    require(input >= 0);
    TVirtual_Coach console(input);
    console.start_command_loop();
    close(input);
    return 0;
}
