#pragma once
// A player's long-lived objects built in a fresh working directory, as the
// program's start-up builds them, for tests that drive the core directly.

class TCore;

// Sets net, parser and core (= agent) and a world model in which I am teammate unum.
void build_agent(TCore *agent, int unum);
// Deletes what build_agent made, the behaviour objects included.
void destroy_agent();
