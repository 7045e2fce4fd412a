// The player's reader of server messages. The input is a run of datagrams,
// each ended by a NUL as the server sends it; every one is parsed as the SIGIO
// handler parses it, and the coach-language texts it posts are parsed after it
// as the main loop does. A fresh player reads the run from the left side, then
// another from the right.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "player_scene.h"
#include "player/agent/core.h"
#include "player/clang/cparser.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    as_player_of_each_side(7, [=] {
        for_each_datagram(data, size, kMessageSize, [](char *text) {
            parser->parse_message(text);
            c_parser->parse_posted();
        });
    });
    return 0;
}
