// Teammates' map messages merged into the world model. The input is a run of
// heard texts (each ended by a NUL) as the parser stores them from hear
// messages of this cycle; the world model merges them into a fixed world as
// its update does, and then tells its own map from the result.

#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdio>

#include "fuzz_input.h"
#include "player_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/world/encrypt.h"

namespace {

const int kMe = 7;

void hear(char *text) {
    Info &info = core->info;
    if (info.hear_index + 1 >= kMaxHear)
        return;
    Hear_Info &heard = info.hear[++info.hear_index];
    heard.time = core->cycle;
    heard.cycle = core->real_cycle;
    heard.sender = 0;
    snprintf(heard.text, sizeof heard.text, "%s", text);
}

// A merged entry is a finite position on (or near) the field with a confidence in [0, 1].
void check_entry(TPoint pos, float chance) {
    require(std::isfinite(pos.X) && std::isfinite(pos.Y) && std::fabs(pos.X) <= 1000 &&
            std::fabs(pos.Y) <= 1000 && chance >= 0 && chance <= 1);
}

void check_world() {
    const TWorld_Model &world = *core->world;
    for (int n = 1; n <= 11; ++n) {
        check_entry(world.teammates[n].pos, world.teammates[n].pos_chance);
        check_entry(world.opponents[n].pos, world.opponents[n].pos_chance);
    }
    check_entry(world.ball.pos, world.ball.pos_chance);
    check_entry(world.ball.vel, world.ball.vel_chance);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    make_player(kMe, 'l');
    place_fixed_world(false);
    for_each_datagram(data, size, kMessageSize - 1, hear);
    core->world->merge_heard_maps();
    check_world();
    char map[kMapTextSize];
    core->map_encoder->get_map_string(map, kMe);
    destroy_player();
    return 0;
}
