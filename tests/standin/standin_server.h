#pragma once
// A small stand-in for the simulation server, for tests that drive our programs
// over real UDP: it hands out uniform numbers, sends sense_body messages every
// cycle, takes one online coach on a port of its own (global view, say
// messages passed on to the players), records every datagram the clients send and lets a test inject any
// message. It keeps the true state of players and ball so that it can grow into
// a small simulator: body commands move players and ball each cycle, a goalie
// can catch and hold the ball, and every player gets see messages at the rate
// of its view mode. A referee, when asked for, calls goals, balls out of play
// and set plays left untaken.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <thread>
#include <vector>

// How many commands of each kind a client has sent, as sense_body reports them.
struct StandInCounters {
    int kick = 0;
    int dash = 0;
    int turn = 0;
    int say = 0;
    int turn_neck = 0;
    int catch_ball = 0;
    int move = 0;
    int change_view = 0;
};

// One connected client and its true state. Positions and angles are in field
// coordinates (the left team attacks towards +x); angles in degrees.
struct StandInPlayer {
    std::string team;
    char side = 'l';
    int unum = 0;
    bool goalie = false;
    bool connected = true;            // false after "(bye)"
    bool still = false;               // placed by a test: no client, never moves, but is seen
    int socket_fd = -1;               // the socket that serves this client alone
    int own_port = 0;                 // its port, where the client's commands arrive
    sockaddr_in address{};            // where the client's datagrams come from
    double x = 0, y = 0;              // position, metres
    double vx = 0, vy = 0;            // velocity, metres per cycle
    double body_deg = 0;              // body direction
    double neck_deg = 0;              // head angle relative to the body
    double stamina = 8000;
    double effort = 1;
    double recovery = 1;
    double lowest_stamina = 8000;     // the least that a dash left, for the stamina thresholds
    std::string view_quality = "high";
    std::string view_width = "normal";
    StandInCounters counters;
    double accel_x = 0, accel_y = 0;  // this cycle's dash, applied in the step
    bool body_done = false;           // a body command was applied this cycle
    bool neck_done = false;           // a turn_neck was applied this cycle
    int see_clock_ms = 0;             // simulated time since the last see
    int catch_ban = 0;                // cycles before this goalie's next catch can hold
    int clang_min = 0, clang_max = 0; // coach-language versions asked for; none before "(clang (ver MIN MAX))"
};

// The ball, in field coordinates.
struct StandInWorld {
    double ball_x = 0, ball_y = 0;
    double ball_vx = 0, ball_vy = 0;
    double ball_ax = 0, ball_ay = 0;  // this cycle's kicks, applied in the step
    int holder = -1;                  // index of the goalie holding the ball; -1 while it is free
    int holder_moves = 0;             // moves the holder made since its catch
    char last_touch = 0;              // side of the last player to kick or catch it; 0 for none
};

// The coach-language version of the coach's messages: a player hears them only
// after asking for a range of versions that holds it.
const int kStandInClangVersion = 7;

// The online coach: one per server, on its own port.
struct StandInCoach {
    bool connected = false;
    std::string team;                 // empty for an init that names no team
    char side = 0;
    bool eye_on = false;              // "(eye on)": see_global every cycle
    sockaddr_in address{};
};

// A datagram a client sent, as it arrived. Datagrams to the main port from an
// address that got no client carry an empty team and uniform number 0; the
// coach's carry its team and side, uniform number 0 and the coach flag.
struct StandInDatagram {
    std::string team;
    char side = 0;
    int unum = 0;
    bool coach = false;
    int cycle = 0;                    // the server's cycle when it arrived
    std::string text;                 // up to the first NUL byte
};

struct StandInOptions {
    std::chrono::milliseconds cycle_length{100};
    std::chrono::milliseconds max_duration{60000};   // the loop ends by itself after this
    bool referee = false;             // calls goals, outs and untaken set plays
    int goal_pause_cycles = 50;       // from a goal to the kick-off
    int drop_ball_cycles = 100;       // a set play not taken this long is dropped
};

// A coach-language message as the server passes it on to the players: every
// quad region loses its fourth point.
std::string standin_three_corner_quads(std::string message);

// The sense_body message for a player at a given time, in the server's text form.
std::string standin_sense_body(const StandInPlayer &player, int time);

// The coach's global view in absolute field coordinates: both goals, the ball
// and every player on the field (left team first, by uniform number), in the
// server's text form; head is "see_global" or "ok look".
std::string standin_see_global(const std::vector<StandInPlayer> &players, const StandInWorld &world,
                               int time, const std::string &head = "see_global");

class StandInServer {
public:
    explicit StandInServer(StandInOptions options = StandInOptions());
    ~StandInServer();

    bool start();                     // binds 127.0.0.1 on a free port and starts the loop
    void stop();
    bool running() const;
    int port() const;                 // the main port; 0 before start()
    int coach_port() const;           // the online coach's port; 0 before start()
    StandInCoach coach() const;

    int cycle() const;
    std::string play_mode() const;
    int score(char side) const;                    // goals of side 'l' or 'r', by the referee
    void set_play_mode(const std::string &word);   // broadcasts "(hear T referee WORD)"
    void kick_off();                               // the left team kicks off
    void fall_silent();                            // from now on nothing is sent
    bool send_to(const std::string &team, int unum, const std::string &text);

    std::vector<StandInDatagram> received() const;
    bool wait_for(const std::function<bool(const StandInDatagram &)> &match,
                  std::chrono::milliseconds timeout) const;
    std::vector<StandInPlayer> players() const;
    StandInWorld world() const;

    // Test hooks in field coordinates (the left team attacks towards +x).
    void place_ball(double x, double y, double vx = 0, double vy = 0);
    bool place_player(const std::string &team, int unum, double x, double y, double body_deg,
                      double vx = 0, double vy = 0);
    // Every player's stamina, as if all had run; their lowest stamina starts again from it.
    void set_stamina(double stamina);
    // A player without a client that stands where it is put and shows in the
    // sees of the others; its team takes a side as a client's would. False for
    // an illegal team, a third team, a number outside 1 to 11 or one in use.
    bool add_still_player(const std::string &team, int unum, double x, double y, double body_deg,
                          bool goalie = false);

private:
    using Clock = std::chrono::steady_clock;

    void run();
    void poll_sockets(int timeout_ms);
    void drain(int fd, int client);
    void run_cycle();
    void step();
    static bool see_due(StandInPlayer &player);
    void announce(const std::string &word);
    void handle_init(const std::string &text, const sockaddr_in &from);
    void refuse(const std::string &text, const sockaddr_in &from, const char *reply);
    void handle_coach(const std::string &text, const sockaddr_in &from);
    const char *coach_init(const std::string &text, const sockaddr_in &from);
    const char *coach_command(const std::string &text);
    void coach_say(const std::string &message);
    bool clang_request(StandInPlayer &player, const std::string &text);
    bool transmit_to_coach(const std::string &text) const;
    void apply_command(StandInPlayer &player, const std::string &text);
    const char *execute(StandInPlayer &player, const std::string &name,
                        const std::vector<std::string> &words);
    bool perform(StandInPlayer &player, const std::string &name, const std::vector<double> &values);
    void kick(const StandInPlayer &player, double power, double direction);
    bool kick_allowed(const StandInPlayer &player) const;
    void referee();
    void call_ball_out();
    void goal(char scorer);
    void restart(const std::string &mode, double x, double y);
    void drop_ball();
    void set_ball(double x, double y);
    void goalie_catch(StandInPlayer &player, double direction);
    bool holds_ball(const StandInPlayer &player) const;
    bool move_allowed(const StandInPlayer &player) const;
    void move(StandInPlayer &player, double x, double y);
    static void place(StandInPlayer &player, double x, double y);
    int free_unum(const std::string &team, bool goalie) const;
    char side_for(const std::string &team) const;
    void record(const StandInPlayer *player, const std::string &text, const StandInCoach *coach = nullptr);
    bool transmit(int fd, const sockaddr_in &to, const std::string &text) const;
    bool transmit(const StandInPlayer &player, const std::string &text) const;
    void close_sockets();

    StandInOptions options_;
    int main_fd_ = -1;
    int main_port_ = 0;
    int coach_fd_ = -1;
    int coach_port_ = 0;
    std::thread loop_;
    std::atomic<bool> stop_requested_{false};
    std::atomic<bool> running_{false};

    mutable std::mutex mutex_;                 // guards everything below
    mutable std::condition_variable arrived_;  // a datagram was recorded
    std::vector<StandInPlayer> players_;       // never shrinks: indices stay valid
    StandInCoach coach_;
    StandInWorld world_;
    std::vector<StandInDatagram> received_;
    int cycle_ = 0;
    std::string play_mode_ = "before_kick_off";
    int mode_cycle_ = 0;                       // the cycle the play mode was announced
    int scores_[2] = {0, 0};                   // left, right
    bool silent_ = false;
};
