// The player's display-monitor port: a datagram that may register a monitor.
// The input is one datagram, sent over loopback to the port's socket (bound to
// a free port here, not the fixed one) and read as the player reads it while
// it waits for a monitor.

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

#include "fuzz_input.h"
#include "player/runtime/netif.h"

namespace {

// A UDP socket on a free loopback port, and that address.
int loopback_socket(sockaddr_in *address) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    *address = sockaddr_in{};
    address->sin_family = AF_INET;
    address->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof *address;
    require(fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(address), sizeof *address) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr *>(address), &length) == 0);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static sockaddr_in port_address, sender_address;
    static const int port_socket = loopback_socket(&port_address);
    static const int sender = loopback_socket(&sender_address);
    require(sendto(sender, data, size, 0, reinterpret_cast<const sockaddr *>(&port_address),
                   sizeof port_address) == static_cast<ssize_t>(size));
    Port port;
    port.socket = port_socket;
    port.recv_info();
    require(port.monitor_count == (port.dispinit_received() ? 1 : 0));
    port.socket = -1;   // the socket serves every input
    return 0;
}
