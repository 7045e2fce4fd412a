// The player's reader of server messages. The input is a run of datagrams,
// each ended by a NUL as the server sends it; every one is parsed as the main
// loop parses what the link received (our coach's coach-language texts with
// it). A fresh player reads the run from the left side, then another from the
// right.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "player_scene.h"
#include "player/agent/core.h"
#include "player/clang/cparser.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"

namespace {

bool within(int value, int low, int high) { return value >= low && value <= high; }

// What the parser wrote stays inside its tables and ranges.
void check_record() {
    const Info &info = core->info;
    require(within(info.see.flag_count, 0, kMaxFlags) && within(info.see.line_count, 0, kMaxLines) &&
            within(info.see.player_count, 0, kMaxSeenPlayers) && within(info.hear_index, -1, kMaxHear - 1));
    for (int i = 0; i < info.see.player_count; ++i)
        require(within(info.see.players[i].unum, 0, 11));
    require(within(info.unum, 1, 11) && (info.side == 'l' || info.side == 'r') && info.side != info.their_side);
    require(within(info.play_mode, PM_BEFORE_KICK_OFF, PM_STOPPED) && within(core->catch_state, 0, 2));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    as_player_of_each_side(7, [=] {
        for_each_datagram(data, size, kMessageSize, [](char *text) {
            parser->parse_message(text);
            check_record();
        });
    });
    return 0;
}
