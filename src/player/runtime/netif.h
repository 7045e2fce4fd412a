#pragma once
// The display-monitor link: a player can show its own world model on a display
// monitor that speaks the server's monitor protocol. The monitor registers with
// "(dispinit)" (or "(dispinit version 1)") on UDP port 5999 and then receives
// 2052-byte display records.

#include <cstdint>
#include <netinet/in.h>

// The monitor protocol's records; every 16-bit field in network byte order.
struct pos_t {                   // one object: x and y are metres x 16
    int16_t enable, side, unum, angle, x, y;
};
struct team_t {
    char name[16];
    int16_t score;
};
struct showinfo_t {              // pos: 0 the ball, 1..11 the left team, 12..22 the right
    char pmode;
    team_t team[2];
    pos_t pos[23];
    int16_t time;
};
struct msginfo_t {
    int16_t board;
    char message[2048];
};
struct pointinfo_t {
    int16_t x, y;
    char color[64];
};
struct circleinfo_t {
    int16_t x, y, r;
    char color[64];
};
struct lineinfo_t {
    int16_t x1, y1, x2, y2;
    char color[64];
};
struct drawinfo_t {
    int16_t mode;
    union {
        pointinfo_t pinfo;
        circleinfo_t cinfo;
        lineinfo_t linfo;
    } object;
};
struct dispinfo_t {              // mode 1: a show record
    int16_t mode;
    union {
        showinfo_t show;
        msginfo_t msg;
        drawinfo_t draw;
    } body;
};

static_assert(sizeof(pos_t) == 12, "a display position is 12 bytes");
static_assert(sizeof(team_t) == 18, "a display team is 18 bytes");
static_assert(sizeof(showinfo_t) == 316, "a show record is 316 bytes");
static_assert(sizeof(msginfo_t) == 2050, "a message record is 2050 bytes");
static_assert(sizeof(drawinfo_t) == 74, "a drawing record is 74 bytes");
static_assert(sizeof(dispinfo_t) == 2052, "a display record is 2052 bytes");

// A registered monitor's address and port, in network byte order.
struct Monitor_Address {
    uint32_t address = 0;
    uint16_t port = 0;
};

// The monitor side of the link, on port 5999. It keeps at most kMaxMonitors
// monitors; a monitor that registers again is not added twice.
class Port {
public:
    static const int kBufferSize = 256;
    static const int kMaxMonitors = 8;

    Port() = default;
    ~Port();
    Port(const Port &) = delete;
    Port &operator=(const Port &) = delete;

    // Opens the non-blocking port; ends the process with a message when it cannot.
    void init();
    // Reads one datagram; its length, negative when none waits. A "(dispinit)"
    // or "(dispinit version 1)" registers its sender.
    int recv_info();
    // Sends one display record; the number of bytes sent.
    int send_info(const dispinfo_t *record, uint32_t address, uint16_t port);
    // Whether the last datagram read was a registration.
    bool dispinit_received() const;

    int socket = -1;
    char host[16] = "localhost";
    int port = 5999;
    sockaddr_in local{};
    sockaddr_in remote{};
    char buffer[kBufferSize] = {};
    int received = 0;            // length of the last datagram read
    Monitor_Address monitors[kMaxMonitors];
    int monitor_count = 0;

private:
    void add_monitor(const sockaddr_in &from);
};
