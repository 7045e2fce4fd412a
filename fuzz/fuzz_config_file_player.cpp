// The player's configuration reader, and the reader of the evaluator file
// (whose name a configuration gives). The input is one file: read as the
// player reads a file named after "-file" on its command line, then as the
// evaluator reads its file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/skills/evaluator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    std::string file = here.write_file("fuzz.conf", data, size);
    TTransfer link;   // the configuration writes the server's host and port into the link
    net = &link;
    core = make_in_place<TCore>();
    char program[] = "player", option[] = "-file";
    char *argv[] = {program, option, &file[0], nullptr};
    core->get_config(3, argv);
    TWith_Ball_Evaluator evaluator;   // reads the file the configuration named, if any
    evaluator.load_config(file.c_str());
    core->~TCore();
    core = nullptr;
    net = nullptr;
    return 0;
}
