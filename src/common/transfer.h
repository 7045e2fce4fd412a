#pragma once
// The UDP link to the simulation server, shared by the players and the coach.
// The socket is non-blocking and asynchronous: every datagram raises SIGIO in
// this process. The server answers from a port of its own, so each received
// datagram's source port becomes the destination of later commands.

#include <atomic>
#include <cstdint>
#include <netinet/in.h>

struct socket_record {
    int socketfd = -1;            // -1 while there is no socket
    sockaddr_in serv_addr{};      // the server's address, as given
    // The port the server answered from (network order), 0 before any reply.
    // Received on the main thread, read by every thread that sends.
    std::atomic<uint16_t> reply_port{0};
};

class TTransfer {
public:
    static const int kHostSize = 30;   // the host text buffer, terminator included

    TTransfer();
    ~TTransfer();

    char *server;                 // host name or dotted address
    int port = 6000;
    socket_record sock;

    void init_connection();
    int send_message(const char *msg);           // 0 when all was sent, else -1
    int receive_message(char *buf, int size);    // 1 read, 0 nothing waiting, -1 error
    void close_connection();

private:
    char host_buffer[kHostSize];
    TTransfer(const TTransfer &) = delete;
    TTransfer &operator=(const TTransfer &) = delete;
};
