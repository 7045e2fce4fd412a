// The coach's reader of server messages: see_global, referee, hear and the
// replies to its commands. The input is a run of datagrams (each ended by a
// NUL, as the server sends them) that a fresh coach reads as its SIGIO handler
// does: after a see_global message or a look reply the behaviour model takes
// one step, and the decision the handler leaves to the main loop is made.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_input.h"
#include "coach/core.h"
#include "coach/parser.h"
#include "coach/sbe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    srandom(1);   // the advice draws from random(): the same input gives the same run
    TCoach_Parser coach_parser;
    parser = &coach_parser;
    core = make_in_place<TCore>(nullptr);
    inf = make_in_place<TInfo>();
    core->SBE = make_in_place<TSBE>();
    for_each_datagram(data, size, kCoachTextSize, [](char *text) {
        parser->parse_message(text);
        if (inf->last_message != MT_SEE)
            return;
        core->SBE->update_behavior_model();
        core->dec.decision();
    });
    core->SBE->~TSBE();
    inf->~TInfo();
    core->~TCore();
    core = nullptr;
    inf = nullptr;
    parser = nullptr;
    return 0;
}
