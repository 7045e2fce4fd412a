#pragma once
// A player's long-lived objects built in a fresh working directory, as the
// program's start-up builds them, for tests that drive the core directly.

class TCore;

// Makes a fresh working directory the current one; with_data links the
// shipped data files into it as "./data" and "formation.rf".
void enter_scene(bool with_data);

// Sets net, parser and core (= agent), a world model in which I am teammate
// unum, and the map encoder.
void attach_agent(TCore *agent, int unum);

// The same in a fresh working directory, the core built there.
template <class Core>
Core *make_agent(int unum, bool with_data = false) {
    enter_scene(with_data);
    Core *agent = new Core();
    attach_agent(agent, unum);
    return agent;
}

// Deletes what make_agent made, the behaviour objects included.
void destroy_agent();
