#include "standin/test_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

TestClient::TestClient() {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address);
}

TestClient::~TestClient() { close(fd_); }

void TestClient::send(int port, const std::string &text) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    sendto(fd_, text.data(), text.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
}

std::string TestClient::receive_raw(std::chrono::milliseconds timeout) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
        return std::string();
    char buffer[9000];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
    from_port = ntohs(from.sin_port);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

std::string TestClient::receive(std::chrono::milliseconds timeout) {
    std::string raw = receive_raw(timeout);
    if (!raw.empty() && raw.back() == '\0')
        raw.pop_back();
    return raw;
}

std::string TestClient::receive_starting(const std::string &prefix) {
    for (int i = 0; i < 100; ++i) {
        const std::string text = receive();
        if (text.empty() || text.compare(0, prefix.size(), prefix) == 0)
            return text;
    }
    return std::string();
}

int TestClient::join(int server_port, const std::string &init) {
    send(server_port, init);
    EXPECT_EQ(receive().compare(0, 6, "(init "), 0);
    return from_port;
}
