#pragma once
// The start-up, signal-driven life and shut-down shared by the field player and
// the goalkeeper; each program hands in how to build its own core.

class TCore;

// Runs an agent on the core that make_core builds, until the server is gone;
// returns the exit status.
int run_player(int argc, char **argv, TCore *(*make_core)());

// Creates the core's seven behaviour objects in their slots, with the with-ball
// objects' decencies and learning rates; the core must exist.
void create_behaviour_objects();
