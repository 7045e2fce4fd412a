// The field player: builds its long-lived objects, connects, and then lives on
// signals until the server falls silent.

#include "player/agent/core.h"
#include "player/runtime/player_main.h"

static TCore *make_core() { return new TCore(); }

int main(int argc, char **argv) { return run_player(argc, argv, make_core); }
