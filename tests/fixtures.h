#pragma once
// Captured server traffic: one message per line, as the server sent it.

#include <string>
#include <vector>

// Every line of a fixture file, e.g. fixture_lines("player-basic.txt").
std::vector<std::string> fixture_lines(const std::string &file);

// The first line of a fixture file that begins with prefix; fails the test when none does.
std::string fixture_line(const std::string &file, const std::string &prefix);
