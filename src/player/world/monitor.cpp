// The world model shown on a display monitor: the ball and both teams as this
// player believes them, in its team's frame (its own team plays from the left).

#include <algorithm>
#include <arpa/inet.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/world/world.h"

namespace {

const int kWaitMsec = 100;       // between two looks for a registration
// The row of unknown entries: 4 m beyond the touchline at y = -34, 4.5 m apart.
const double kOffPitchY = -38;
const double kOffPitchFirstX = -50;
const double kOffPitchSpacing = 4.5;

int16_t net_short(int value) { return static_cast<int16_t>(htons(static_cast<uint16_t>(value))); }

// Metres x 16, truncated toward zero and kept within 16 bits.
int16_t display_coordinate(double metres) {
    const double v = std::trunc(metres * 16);
    return net_short(static_cast<int>(std::min(32767.0, std::max(-32768.0, v))));
}

// Where the entry of an object the player does not know is drawn: beyond a
// touchline, a spot of its own for each entry, as monitors draw disabled
// entries too and the picture should show only what the player knows.
TPoint off_pitch_spot(int index) { return TPoint(kOffPitchFirstX + kOffPitchSpacing * index, kOffPitchY); }

// Entry `index` of the record; an unknown or non-finite position is sent disabled, off the pitch.
pos_t display_entry(int index, TPoint p, bool known, int side, int unum) {
    pos_t entry{};
    const bool shown = known && std::isfinite(p.X) && std::isfinite(p.Y);
    const TPoint at = shown ? p : off_pitch_spot(index);
    entry.enable = net_short(shown ? 1 : 0);
    entry.side = net_short(side);
    entry.unum = net_short(unum);
    entry.x = display_coordinate(at.X);
    entry.y = display_coordinate(at.Y);
    return entry;
}

void set_team(team_t &team, const char *name) {
    memset(team.name, 0, sizeof team.name);
    strncpy(team.name, name, sizeof team.name - 1);
    team.score = 0;
}

}  // namespace

void TWorld_Model::init_monitor() {
    monitor_port.init();
    printf("wait for a monitor\n");
    fflush(stdout);
    const timespec pause{0, kWaitMsec * 1000000L};
    while (core->alive && !(monitor_port.recv_info() > 0 && monitor_port.dispinit_received()))
        nanosleep(&pause, nullptr);
    monitor = monitor_port.monitor_count > 0 ? &monitor_port.monitors[0] : nullptr;
}

void TWorld_Model::send_to_monitor() {
    if (!monitor)
        return;
    display.mode = net_short(1);
    showinfo_t &show = display.body.show;
    show.pmode = 1;
    set_team(show.team[0], "Corvane");
    set_team(show.team[1], "Opponent");
    show.pos[0] = display_entry(0, ball.pos, ball.know_pos(), 0, 0);
    for (int u = 1; u <= 11; ++u) {
        show.pos[u] = display_entry(u, teammates[u].pos, teammates[u].know_pos(), 1, u);
        show.pos[11 + u] = display_entry(11 + u, opponents[u].pos, opponents[u].know_pos(), -1, u);
    }
    show.time = net_short(core->cycle);
    monitor_port.send_info(&display, monitor->address, monitor->port);
}
