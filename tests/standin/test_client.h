#pragma once
// A plain UDP client on 127.0.0.1 for tests: it plays a player's or a display
// monitor's side of a link.

#include <chrono>
#include <string>

const std::chrono::milliseconds kPatience{5000};    // generous: tests must not depend on speed

class TestClient {
public:
    TestClient();
    ~TestClient();
    TestClient(const TestClient &) = delete;
    TestClient &operator=(const TestClient &) = delete;

    void send(int port, const std::string &text);
    // The next datagram as raw bytes (empty when none came in time); from_port gets its source.
    std::string receive_raw(std::chrono::milliseconds timeout = kPatience);
    // The next message's text without its NUL byte.
    std::string receive(std::chrono::milliseconds timeout = kPatience);
    // The next message that begins with prefix, skipping others.
    std::string receive_starting(const std::string &prefix);
    // Sends init and returns the port that answered.
    int join(int server_port, const std::string &init);

    int from_port = 0;

private:
    int fd_ = -1;
};
