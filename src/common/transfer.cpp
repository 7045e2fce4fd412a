#include "common/transfer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

TTransfer::TTransfer() : server(host_buffer) {
    snprintf(host_buffer, sizeof host_buffer, "%s", "localhost");
}

TTransfer::~TTransfer() { close_connection(); }

// Resolves the host text to an IPv4 address; a name is replaced by its dotted form.
static bool resolve_host(char *host, int size, in_addr *addr) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) == 0 && found) {
        *addr = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
        inet_ntop(AF_INET, addr, host, size);
        return true;
    }
    return inet_pton(AF_INET, host, addr) == 1;
}

void TTransfer::init_connection() {
    close_connection();
    in_addr addr{};
    if (!resolve_host(server, kHostSize, &addr))
        return;

    // SIGIO stays blocked until the signal handlers are installed.
    sigset_t io;
    sigemptyset(&io);
    sigaddset(&io, SIGIO);
    pthread_sigmask(SIG_BLOCK, &io, nullptr);

    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return;
    int flags = fcntl(fd, F_GETFL);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    if (fcntl(fd, F_SETOWN, getpid()) < 0 || flags < 0 ||
        fcntl(fd, F_SETFL, flags | O_NONBLOCK | O_ASYNC) < 0 ||
        bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) < 0) {
        ::close(fd);
        return;
    }
    sock.socketfd = fd;
    sock.serv_addr = sockaddr_in{};
    sock.serv_addr.sin_family = AF_INET;
    sock.serv_addr.sin_addr = addr;
    sock.serv_addr.sin_port = htons(static_cast<uint16_t>(port));
    sock.reply_port = 0;
}

int TTransfer::send_message(const char *msg) {
    if (sock.socketfd < 0 || !msg)
        return -1;
    sockaddr_in to = sock.serv_addr;
    const uint16_t reply_port = sock.reply_port;
    if (reply_port != 0)
        to.sin_port = reply_port;
    size_t n = strlen(msg);
    ssize_t sent = sendto(sock.socketfd, msg, n, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
    return sent == static_cast<ssize_t>(n) ? 0 : -1;
}

int TTransfer::receive_message(char *buf, int size) {
    buf[0] = '\0';
    if (sock.socketfd < 0 || size <= 0)
        return -1;
    sockaddr_in from{};
    socklen_t len = sizeof from;
    ssize_t n = recvfrom(sock.socketfd, buf, static_cast<size_t>(size), 0,
                         reinterpret_cast<sockaddr *>(&from), &len);
    if (n < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    sock.reply_port = from.sin_port;
    buf[n] = '\0';
    return n > 0 ? 1 : 0;
}

void TTransfer::close_connection() {
    if (sock.socketfd >= 0)
        ::close(sock.socketfd);
    sock.socketfd = -1;
}
