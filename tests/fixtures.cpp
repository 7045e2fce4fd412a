#include "fixtures.h"

#include <fstream>
#include <gtest/gtest.h>

std::vector<std::string> fixture_lines(const std::string &file) {
    std::ifstream in(std::string(FIXTURES_DIR) + "/" + file);
    EXPECT_TRUE(in.good()) << "cannot open fixture " << file;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

std::string fixture_line(const std::string &file, const std::string &prefix) {
    for (const std::string &line : fixture_lines(file))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line;
    ADD_FAILURE() << "no line beginning with '" << prefix << "' in " << file;
    return std::string();
}
