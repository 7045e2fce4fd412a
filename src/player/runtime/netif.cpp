#include "player/runtime/netif.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A monitor's registration: bare, or as today's monitors send it when asked
// for the binary protocol of version 1.
const char *const kDispinits[] = {"(dispinit)", "(dispinit version 1)"};

void fail(const char *text, int status) {
    fprintf(stderr, "%s\n", text);
    exit(status);
}

}  // namespace

Port::~Port() {
    if (socket >= 0)
        close(socket);
}

void Port::init() {
    snprintf(host, sizeof host, "%s", "localhost");
    port = 5999;
    socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket < 0)
        fail("can't open socket.", -1);
    int on = 1;
    if (ioctl(socket, FIONBIO, &on) < 0)
        fail("can't ioctl on socket.", -1);
    local = sockaddr_in{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(socket, reinterpret_cast<sockaddr *>(&local), sizeof local) < 0)
        fail("can't bind local address.", -1);
    remote = sockaddr_in{};
    remote.sin_family = AF_INET;
    monitor_count = 0;
}

int Port::recv_info() {
    memset(buffer, 0, sizeof buffer);
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = recvfrom(socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
    received = n > 0 ? static_cast<int>(n) : 0;
    if (dispinit_received())
        add_monitor(from);
    return static_cast<int>(n);
}

// The text of the datagram, up to its first NUL within the length received, is
// a registration; a full buffer has no terminator of its own.
bool Port::dispinit_received() const {
    const size_t length = strnlen(buffer, static_cast<size_t>(received));
    for (const char *text : kDispinits)
        if (length == strlen(text) && memcmp(buffer, text, length) == 0)
            return true;
    return false;
}

void Port::add_monitor(const sockaddr_in &from) {
    for (int i = 0; i < monitor_count; ++i)
        if (monitors[i].address == from.sin_addr.s_addr && monitors[i].port == from.sin_port)
            return;
    if (monitor_count >= kMaxMonitors)
        return;
    monitors[monitor_count].address = from.sin_addr.s_addr;
    monitors[monitor_count].port = from.sin_port;
    ++monitor_count;
}

int Port::send_info(const dispinfo_t *record, uint32_t address, uint16_t to_port) {
    sockaddr_in to = remote;
    to.sin_addr.s_addr = address;
    to.sin_port = to_port;
    const ssize_t n = sendto(socket, record, sizeof *record, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
    return static_cast<int>(n);
}
