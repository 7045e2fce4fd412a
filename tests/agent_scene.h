#pragma once
// A player's long-lived objects built in a fresh working directory, as the
// program's start-up builds them, for tests that drive the core directly.

#include "common/geometry.h"

#include <string>

class TCore;

// Makes the shipped data files visible in dir as "data" and "formation.rf".
void link_data(const std::string &dir);

// A fresh directory to run a program of ours in, its agent.conf pointing it at
// the server on port as a player of team; with_data links the data files.
std::string program_dir(int port, const std::string &team, bool with_data);

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

// I stand still at pos facing body, neck straight, surely known.
void place_me(TPoint pos, float body);
// The ball at pos moving with vel, surely known.
void place_ball(TPoint pos, TPoint vel = TPoint(0, 0));

// Player 7 at the centre spot facing their goal with the ball still half a
// metre ahead, at cycle 10 of play, in a fresh working directory.
void enter_ball_at_my_feet();
