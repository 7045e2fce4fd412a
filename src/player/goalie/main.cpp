// The goalkeeper: the player program with the goalkeeper's core.

#include "player/goalie/goalie_core.h"
#include "player/runtime/player_main.h"

static TCore *make_core() { return new TGoalie_Core(); }

int main(int argc, char **argv) { return run_player(argc, argv, make_core); }
