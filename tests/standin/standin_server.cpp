#include "standin/standin_server.h"

#include "standin/standin_physics.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kTeamSize = 11;
const size_t kMaxTeamName = 15;
const size_t kDatagramSize = 8192;         // longer datagrams are cut here
const size_t kMaxRecords = 200000;         // a flooding client cannot exhaust memory
const int kMaxDrain = 64;                  // datagrams read from one socket per poll
const int kMaxPollMs = 10;                 // keeps stop() responsive
const double kFieldHalfLength = 60.0;      // moves are clamped into the field and its surround
const double kFieldHalfWidth = 40.0;
const double kPi = 3.14159265358979323846;

const char *kIllegalTeamName = "(error illegal_teamname_or_too_long_teamname)";
const char *kNoMorePlayers = "(error no_more_team_or_player_or_goalie)";
const char *kUnknownCommand = "(error unknown_command)";
const char *kIllegalForm = "(error illegal_command_form)";
const char *kOkSay = "(ok say)";
const int kClientMain = -1;                // drain(): datagrams to the main port
const int kClientCoach = -2;               // drain(): datagrams to the coach's port

// Commands whose arguments are all numbers, and the counter each one moves.
struct CommandForm {
    const char *name;
    size_t numbers;
    int StandInCounters::*counter;
};

const CommandForm kNumericForms[] = {
    {"dash", 1, &StandInCounters::dash},
    {"turn", 1, &StandInCounters::turn},
    {"kick", 2, &StandInCounters::kick},
    {"turn_neck", 1, &StandInCounters::turn_neck},
    {"catch", 1, &StandInCounters::catch_ball},
    {"move", 2, &StandInCounters::move},
};

// A whole text of digits, sign, point and exponent that gives a finite number.
bool parse_number(const std::string &word, double &value) {
    if (word.empty() || word.size() > 30)
        return false;
    char *end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return end == word.c_str() + word.size() && std::isfinite(value);
}

bool parse_numbers(const std::vector<std::string> &words, std::vector<double> &values) {
    values.assign(words.size(), 0.0);
    for (size_t i = 0; i < words.size(); ++i)
        if (!parse_number(words[i], values[i]))
            return false;
    return true;
}

// "(name w1 w2 ...)" into its name and words; false for any other shape.
bool split_command(const std::string &text, std::string &name, std::vector<std::string> &words) {
    if (text.size() < 3 || text.front() != '(' || text.back() != ')')
        return false;
    const std::string body = text.substr(1, text.size() - 2);
    if (body.find_first_of("()") != std::string::npos)
        return false;
    words.clear();
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find(' ', start);
        if (end == std::string::npos)
            end = body.size();
        if (end == start)
            return false;                  // empty word: doubled or edge blank
        words.push_back(body.substr(start, end - start));
        if (words.size() > 4)
            return false;
        start = end + 1;
    }
    name = words.front();
    words.erase(words.begin());
    return true;
}

bool legal_team_name(const std::string &name) {
    if (name.empty() || name.size() > kMaxTeamName)
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            return false;
    return true;
}

bool one_of(const std::string &word, std::initializer_list<const char *> choices) {
    for (const char *choice : choices)
        if (word == choice)
            return true;
    return false;
}

// A non-blocking UDP socket on 127.0.0.1 and a free port; -1 on failure.
int open_loopback_socket(int &port) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// One past the parenthesis that closes the one at text[open]; npos when none does.
size_t group_end(const std::string &text, size_t open) {
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '(')
            ++depth;
        else if (text[i] == ')' && --depth == 0)
            return i + 1;
    }
    return std::string::npos;
}

// The side whose set play the mode is ("kick_in_r" gives 'r'); 0 for any other mode.
char set_play_side(const std::string &mode) {
    for (const std::string kind : {"kick_off_", "kick_in_", "free_kick_", "corner_kick_", "goal_kick_"})
        if (mode.size() == kind.size() + 1 && mode.compare(0, kind.size(), kind) == 0)
            return mode.back();
    return 0;
}

bool goal_mode(const std::string &mode) {
    return mode.compare(0, 7, "goal_l_") == 0 || mode.compare(0, 7, "goal_r_") == 0;
}

char other_side(char side) {
    return side == 'l' ? 'r' : 'l';
}

// -1 or 1; 0 counts as positive.
double sign_of(double value) {
    return value < 0 ? -1 : 1;
}

}  // namespace

// Walks the points of each quad; the fourth goes with the blank before it.
std::string standin_three_corner_quads(std::string message) {
    const std::string head = "(quad";
    for (size_t at = message.find(head); at != std::string::npos; at = message.find(head, at + 1)) {
        size_t end = at + head.size(), third_end = 0;
        for (int corner = 1; corner <= 4; ++corner) {
            const size_t open = message.find_first_not_of(' ', end);
            if (open == std::string::npos || message[open] != '(')
                break;
            end = group_end(message, open);
            if (end == std::string::npos)
                break;
            if (corner == 3)
                third_end = end;
            else if (corner == 4)
                message.erase(third_end, end - third_end);
        }
    }
    return message;
}

std::string standin_sense_body(const StandInPlayer &player, int time) {
    const double speed = standin_rounded(std::hypot(player.vx, player.vy), 0.01);
    const double heading = std::atan2(player.vy, player.vx) * 180.0 / kPi;
    const double speed_dir = speed == 0 ? 0 : standin_normal_angle_deg(heading - player.body_deg - player.neck_deg);
    const StandInCounters &c = player.counters;
    char text[512];
    snprintf(text, sizeof text,
             "(sense_body %d (view_mode %s %s) (stamina %s %s) (speed %s %s) (head_angle %s) "
             "(kick %d) (dash %d) (turn %d) (say %d) (turn_neck %d) (catch %d) (move %d) (change_view %d))",
             time, player.view_quality.c_str(), player.view_width.c_str(),
             standin_number_text(player.stamina).c_str(), standin_number_text(player.effort).c_str(),
             standin_number_text(speed).c_str(), standin_number_text(std::round(speed_dir)).c_str(),
             standin_number_text(std::round(player.neck_deg)).c_str(),
             c.kick, c.dash, c.turn, c.say, c.turn_neck, c.catch_ball, c.move, c.change_view);
    return text;
}

namespace {

// "((p "TEAM" N[ goalie]) X Y VX VY BODY HEAD)" as the coach sees a player.
std::string global_player_entry(const StandInPlayer &player) {
    std::string text = " ((p \"" + player.team + "\" " + std::to_string(player.unum) +
                       (player.goalie ? " goalie)" : ")");
    for (double value : {player.x, player.y, player.vx, player.vy})
        text += " " + standin_number_text(standin_rounded(value, 1e-4));
    text += " " + standin_number_text(std::round(player.body_deg));
    text += " " + standin_number_text(std::round(player.neck_deg));
    return text + ")";
}

bool global_order(const StandInPlayer *a, const StandInPlayer *b) {
    return a->side != b->side ? a->side == 'l' : a->unum < b->unum;
}

}  // namespace

std::string standin_see_global(const std::vector<StandInPlayer> &players, const StandInWorld &world,
                               int time, const std::string &head) {
    std::string text = "(" + head + " " + std::to_string(time) + " ((g r) 52.5 0) ((g l) -52.5 0) ((b)";
    for (double value : {world.ball_x, world.ball_y, world.ball_vx, world.ball_vy})
        text += " " + standin_number_text(standin_rounded(value, 1e-4));
    text += ")";
    std::vector<const StandInPlayer *> shown;
    for (const StandInPlayer &player : players)
        if (player.connected || player.still)
            shown.push_back(&player);
    std::sort(shown.begin(), shown.end(), global_order);
    for (const StandInPlayer *player : shown)
        text += global_player_entry(*player);
    return text + ")";
}

StandInServer::StandInServer(StandInOptions options) : options_(options) {}

StandInServer::~StandInServer() {
    stop();
}

bool StandInServer::start() {
    if (loop_.joinable())
        return false;
    main_fd_ = open_loopback_socket(main_port_);
    coach_fd_ = open_loopback_socket(coach_port_);
    if (main_fd_ < 0 || coach_fd_ < 0) {
        close_sockets();
        return false;
    }
    stop_requested_ = false;
    running_ = true;
    loop_ = std::thread(&StandInServer::run, this);
    return true;
}

void StandInServer::stop() {
    stop_requested_ = true;
    if (loop_.joinable())
        loop_.join();
}

bool StandInServer::running() const {
    return running_;
}

int StandInServer::port() const {
    return main_port_;
}

int StandInServer::coach_port() const {
    return coach_port_;
}

StandInCoach StandInServer::coach() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return coach_;
}

int StandInServer::cycle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cycle_;
}

std::string StandInServer::play_mode() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return play_mode_;
}

int StandInServer::score(char side) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return scores_[side == 'r'];
}

void StandInServer::set_play_mode(const std::string &word) {
    std::lock_guard<std::mutex> lock(mutex_);
    announce(word);
}

// Changes the play mode and tells every client; the caller holds the lock.
void StandInServer::announce(const std::string &word) {
    play_mode_ = word;
    mode_cycle_ = cycle_;
    const std::string text = "(hear " + std::to_string(cycle_) + " referee " + word + ")";
    for (const StandInPlayer &player : players_)
        transmit(player, text);
    transmit_to_coach(text);
}

void StandInServer::kick_off() {
    set_play_mode("kick_off_l");
}

void StandInServer::fall_silent() {
    std::lock_guard<std::mutex> lock(mutex_);
    silent_ = true;
}

bool StandInServer::send_to(const std::string &team, int unum, const std::string &text) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const StandInPlayer &player : players_)
        if (player.team == team && player.unum == unum && player.connected)
            return transmit(player, text);
    return false;
}

std::vector<StandInDatagram> StandInServer::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

bool StandInServer::wait_for(const std::function<bool(const StandInDatagram &)> &match,
                             std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] {
        return std::any_of(received_.begin(), received_.end(), match);
    });
}

std::vector<StandInPlayer> StandInServer::players() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return players_;
}

StandInWorld StandInServer::world() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return world_;
}

void StandInServer::place_ball(double x, double y, double vx, double vy) {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ball(x, y);
    world_.ball_vx = vx;
    world_.ball_vy = vy;
}

bool StandInServer::place_player(const std::string &team, int unum, double x, double y, double body_deg,
                                 double vx, double vy) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (StandInPlayer &player : players_) {
        if (player.team != team || player.unum != unum)
            continue;
        player.x = x;
        player.y = y;
        player.body_deg = standin_normal_angle_deg(body_deg);
        player.vx = vx;
        player.vy = vy;
        player.accel_x = player.accel_y = 0;
        return true;
    }
    return false;
}

void StandInServer::set_stamina(double stamina) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (StandInPlayer &player : players_)
        player.stamina = player.lowest_stamina = stamina;
}

bool StandInServer::add_still_player(const std::string &team, int unum, double x, double y, double body_deg,
                                     bool goalie) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!legal_team_name(team) || unum < 1 || unum > kTeamSize || !std::isfinite(x) || !std::isfinite(y))
        return false;
    for (const StandInPlayer &player : players_)
        if (player.team == team && player.unum == unum)
            return false;
    StandInPlayer player;
    player.side = side_for(team);
    if (player.side == 0)
        return false;
    player.team = team;
    player.unum = unum;
    player.goalie = goalie;
    player.connected = false;
    player.still = true;
    player.x = x;
    player.y = y;
    player.body_deg = standin_normal_angle_deg(body_deg);
    players_.push_back(player);
    return true;
}

// The loop: wait for datagrams until the next cycle boundary, then run the cycle.
void StandInServer::run() {
    const Clock::time_point started = Clock::now();
    Clock::time_point next_cycle = started + options_.cycle_length;
    while (!stop_requested_ && Clock::now() - started < options_.max_duration) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next_cycle - Clock::now());
        poll_sockets(static_cast<int>(std::clamp<long long>(left.count(), 0, kMaxPollMs)));
        const Clock::time_point now = Clock::now();
        if (now >= next_cycle) {
            run_cycle();
            next_cycle += options_.cycle_length;
            if (next_cycle < now)          // fell far behind: do not burst
                next_cycle = now + options_.cycle_length;
        }
    }
    close_sockets();
    running_ = false;
}

void StandInServer::poll_sockets(int timeout_ms) {
    std::vector<pollfd> fds{{main_fd_, POLLIN, 0}, {coach_fd_, POLLIN, 0}};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const StandInPlayer &player : players_)
            fds.push_back({player.socket_fd, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), timeout_ms) <= 0)
        return;
    for (size_t i = 0; i < fds.size(); ++i)
        if (fds[i].revents & POLLIN)
            drain(fds[i].fd, i == 0 ? kClientMain : i == 1 ? kClientCoach : static_cast<int>(i) - 2);
}

// Reads what waits on one socket; client is the player's index, or kClientMain
// or kClientCoach for the two ports every client starts on.
void StandInServer::drain(int fd, int client) {
    char buffer[kDatagramSize + 1];
    for (int n = 0; n < kMaxDrain; ++n) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got = recvfrom(fd, buffer, kDatagramSize, MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr *>(&from), &length);
        if (got < 0)
            return;
        buffer[got] = '\0';
        const std::string text(buffer);    // up to the first NUL
        if (client == kClientMain) {
            handle_init(text, from);
            continue;
        }
        if (client == kClientCoach) {
            handle_coach(text, from);
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        StandInPlayer &player = players_[static_cast<size_t>(client)];
        record(&player, text);
        if (player.connected)
            apply_command(player, text);
    }
}

void StandInServer::run_cycle() {
    std::lock_guard<std::mutex> lock(mutex_);
    step();
    for (StandInPlayer &player : players_) {
        transmit(player, standin_sense_body(player, cycle_));
        if (see_due(player))
            transmit(player, standin_see(player, players_, world_, cycle_));
    }
    if (coach_.eye_on)
        transmit_to_coach(standin_see_global(players_, world_, cycle_));
}

// Advances the simulation by one cycle. The clock stands still before kick-off,
// as on the real server, though players may already turn and move about; after
// the match nothing moves.
void StandInServer::step() {
    if (play_mode_ == "time_over")
        return;
    if (play_mode_ != "before_kick_off")
        ++cycle_;
    for (StandInPlayer &player : players_)
        if (player.connected)
            standin_step_player(player);
    if (world_.holder >= 0) {                 // a held ball stays in the goalie's hands
        const StandInPlayer &holder = players_[static_cast<size_t>(world_.holder)];
        world_.ball_x = holder.x;
        world_.ball_y = holder.y;
        world_.ball_vx = world_.ball_vy = world_.ball_ax = world_.ball_ay = 0;
    }
    standin_step_ball(world_);
    if (options_.referee)
        referee();
}

// After the step: goals and outs while the ball is in play, the kick-off once
// a goal's pause is over, and a drop ball for a set play left untaken.
void StandInServer::referee() {
    const int waited = cycle_ - mode_cycle_;
    if (play_mode_ == "play_on")
        call_ball_out();
    else if (goal_mode(play_mode_) && waited >= options_.goal_pause_cycles)
        restart(std::string("kick_off_") + other_side(play_mode_[5]), 0, 0);
    else if (set_play_side(play_mode_) && waited >= options_.drop_ball_cycles)
        drop_ball();
}

// A ball over a line is restarted by the side that did not touch it last (a
// ball nobody touched counts as the right side's): over a goal line but
// outside the posts a goal kick for the defenders or a corner kick for the
// attackers, over a touchline a kick-in where it went out.
void StandInServer::call_ball_out() {
    using namespace standin_param;
    const double x = world_.ball_x, y = world_.ball_y;
    const char taker = other_side(world_.last_touch);
    if (std::fabs(x) > kPitchHalfLength) {
        const char defender = x > 0 ? 'r' : 'l';
        if (std::fabs(y) < kGoalWidth / 2)
            goal(other_side(defender));
        else if (taker == defender)
            restart(std::string("goal_kick_") + taker, sign_of(x) * (kPitchHalfLength - kGoalAreaLength),
                    sign_of(y) * kGoalAreaHalfWidth);
        else
            restart(std::string("corner_kick_") + taker, sign_of(x) * (kPitchHalfLength - kCornerKickMargin),
                    sign_of(y) * (kPitchHalfWidth - kCornerKickMargin));
    } else if (std::fabs(y) > kPitchHalfWidth) {
        restart(std::string("kick_in_") + taker, x, sign_of(y) * kPitchHalfWidth);
    }
}

// "goal_l_N" or "goal_r_N" with the scorer's new score; the ball stops where it is.
void StandInServer::goal(char scorer) {
    const int goals = ++scores_[scorer == 'r'];
    set_ball(world_.ball_x, world_.ball_y);
    announce(std::string("goal_") + scorer + "_" + std::to_string(goals));
}

// The ball still at (x, y) and the new play mode.
void StandInServer::restart(const std::string &mode, double x, double y) {
    set_ball(x, y);
    announce(mode);
}

// The ball is released where it lies, or from a penalty area at that area's
// nearer corner on the field side, and play goes on.
void StandInServer::drop_ball() {
    using namespace standin_param;
    double x = world_.ball_x, y = world_.ball_y;
    if (standin_ball_in_penalty_area(world_, 'l') || standin_ball_in_penalty_area(world_, 'r')) {
        x = sign_of(x) * (kPitchHalfLength - kPenaltyAreaLength);
        y = sign_of(y) * kPenaltyAreaHalfWidth;
    }
    restart("drop_ball", x, y);
    announce("play_on");
}

// A still ball at (x, y) that nobody holds or has touched; the caller holds the lock.
void StandInServer::set_ball(double x, double y) {
    world_ = StandInWorld();
    world_.ball_x = x;
    world_.ball_y = y;
}

// Counts the simulated time of one cycle towards the player's next see; at
// most one see per cycle, so a short interval sends one every cycle.
bool StandInServer::see_due(StandInPlayer &player) {
    const int interval = standin_see_interval_ms(player.view_width, player.view_quality);
    player.see_clock_ms += standin_param::kSimulatorStepMs;
    if (player.see_clock_ms < interval)
        return false;
    player.see_clock_ms = std::min(player.see_clock_ms - interval, interval - 1);
    return true;
}

// "(init TEAM (version V))", optionally with " (goalie)": a new client with its
// own socket, answered from that socket.
void StandInServer::handle_init(const std::string &text, const sockaddr_in &from) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string opening = "(init ";
    if (text.compare(0, opening.size(), opening) != 0)
        return refuse(text, from, kUnknownCommand);
    if (text.back() != ')')
        return refuse(text, from, kIllegalForm);
    const size_t name_end = text.find_first_of(" )", opening.size());
    const std::string team = text.substr(opening.size(), name_end - opening.size());
    if (!legal_team_name(team))
        return refuse(text, from, kIllegalTeamName);
    const bool goalie = text.find("(goalie)", name_end) != std::string::npos;
    const int unum = free_unum(team, goalie);
    const char side = side_for(team);
    if (unum == 0 || side == 0)
        return refuse(text, from, kNoMorePlayers);
    StandInPlayer player;
    player.socket_fd = open_loopback_socket(player.own_port);
    if (player.socket_fd < 0)
        return refuse(text, from, kNoMorePlayers);
    player.team = team;
    player.side = side;
    player.unum = unum;
    player.goalie = goalie;
    player.address = from;
    player.body_deg = side == 'l' ? 0 : 180;   // facing the opponents' goal
    players_.push_back(player);
    record(&players_.back(), text);
    transmit(players_.back(), std::string("(init ") + side + " " + std::to_string(unum) + " " + play_mode_ + ")");
}

// Records an init that gets no client and answers it from the main port.
void StandInServer::refuse(const std::string &text, const sockaddr_in &from, const char *reply) {
    record(nullptr, text);
    transmit(main_fd_, from, reply);
}

// The coach's port: "(init [TEAM] (version V))" first, then eye, look and say.
// Every datagram is recorded and answered as the server does.
void StandInServer::handle_coach(const std::string &text, const sockaddr_in &from) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool from_coach = coach_.connected && coach_.address.sin_port == from.sin_port &&
                            coach_.address.sin_addr.s_addr == from.sin_addr.s_addr;
    if (!from_coach) {
        const char *error = coach_init(text, from);
        const StandInCoach refused;
        record(nullptr, text, error ? &refused : &coach_);
        if (error)
            transmit(coach_fd_, from, error);
        return;
    }
    record(nullptr, text, &coach_);
    const char *error = coach_command(text);
    if (error)
        transmit_to_coach(error);
}

// Takes the coach when the text is an init and no coach is connected; the
// error text to answer with otherwise, nullptr when answered.
const char *StandInServer::coach_init(const std::string &text, const sockaddr_in &from) {
    const std::string opening = "(init ";
    if (text.compare(0, opening.size(), opening) != 0)
        return kUnknownCommand;
    if (text.back() != ')')
        return kIllegalForm;
    if (coach_.connected)
        return kNoMorePlayers;
    const size_t name_end = text.find_first_of(" )", opening.size());
    const std::string team = text.substr(opening.size(), name_end - opening.size());
    const bool named = team.compare(0, 1, "(") != 0;
    if (named && !legal_team_name(team))
        return kIllegalTeamName;
    const char side = named ? side_for(team) : 'l';
    if (side == 0)
        return kNoMorePlayers;
    coach_.connected = true;
    coach_.team = named ? team : std::string();
    coach_.side = side;
    coach_.address = from;
    transmit_to_coach(named ? std::string("(init ") + side + " ok)" : std::string("(init ok)"));
    return nullptr;
}

// One command of the connected coach; the error text, or nullptr when answered.
const char *StandInServer::coach_command(const std::string &text) {
    const std::string say = "(say ";
    if (text.compare(0, say.size(), say) == 0 && text.size() > say.size() + 1 && text.back() == ')') {
        coach_say(text.substr(say.size(), text.size() - say.size() - 1));
        return nullptr;
    }
    if (text == "(eye on)" || text == "(eye off)") {
        coach_.eye_on = text == "(eye on)";
        transmit_to_coach(coach_.eye_on ? "(ok eye on)" : "(ok eye off)");
        return nullptr;
    }
    if (text == "(look)") {
        transmit_to_coach(standin_see_global(players_, world_, cycle_, "ok look"));
        return nullptr;
    }
    return !text.empty() && text.front() == '(' && text.back() == ')' ? kUnknownCommand : kIllegalForm;
}

// Every player on the field hears the coach, as "online_coach_left" or
// "_right"; a coach-language message (any but a freeform text) comes with its
// quads cut to three points, and reaches a player that has not asked for its
// version as "(unsupported_clang)".
void StandInServer::coach_say(const std::string &message) {
    const std::string head = "(hear " + std::to_string(cycle_) + " " +
                             (coach_.side == 'r' ? "online_coach_right " : "online_coach_left ");
    const bool freeform = message.compare(0, 9, "(freeform") == 0;
    const std::string relayed = freeform ? message : standin_three_corner_quads(message);
    for (const StandInPlayer &player : players_) {
        const bool asked = player.clang_min <= kStandInClangVersion && kStandInClangVersion <= player.clang_max;
        transmit(player, head + (freeform || asked ? relayed : "(unsupported_clang)") + ")");
    }
    transmit_to_coach(kOkSay);
}

// "(clang (ver MIN MAX))": the versions the player reads, answered with "(ok
// clang (ver MIN MAX))". False when the text is not such a request.
bool StandInServer::clang_request(StandInPlayer &player, const std::string &text) {
    int min = 0, max = 0, length = 0;
    if (sscanf(text.c_str(), "(clang (ver %d %d))%n", &min, &max, &length) != 2 ||
        length != static_cast<int>(text.size()) || min < 1 || min > max)
        return false;
    player.clang_min = min;
    player.clang_max = max;
    transmit(player, "(ok clang (ver " + std::to_string(min) + " " + std::to_string(max) + "))");
    return true;
}

bool StandInServer::transmit_to_coach(const std::string &text) const {
    return coach_.connected && transmit(coach_fd_, coach_.address, text);
}

// The next free uniform number of the team, 1 first for a goalkeeper; 0 when the
// team is full or already has its goalkeeper.
int StandInServer::free_unum(const std::string &team, bool goalie) const {
    bool taken[kTeamSize + 1] = {};
    for (const StandInPlayer &player : players_) {
        if (player.team != team)
            continue;
        if (goalie && player.goalie)
            return 0;
        if (player.unum >= 1 && player.unum <= kTeamSize)
            taken[player.unum] = true;
    }
    for (int unum = 1; unum <= kTeamSize; ++unum)
        if (!taken[unum])
            return unum;
    return 0;
}

// The first team to connect plays from the left, the second from the right; 0 for a third.
char StandInServer::side_for(const std::string &team) const {
    std::vector<std::string> teams;
    for (const StandInPlayer &player : players_)
        if (std::find(teams.begin(), teams.end(), player.team) == teams.end())
            teams.push_back(player.team);
    const auto found = std::find(teams.begin(), teams.end(), team);
    const size_t index = static_cast<size_t>(found - teams.begin());
    return index == 0 ? 'l' : index == 1 ? 'r' : 0;
}

// Parses one command and applies it; anything malformed changes nothing and is
// answered with the server's error text.
void StandInServer::apply_command(StandInPlayer &player, const std::string &text) {
    const std::string say = "(say ";
    if (text.compare(0, say.size(), say) == 0 && text.size() > say.size() + 1 && text.back() == ')') {
        ++player.counters.say;
        return;
    }
    if (text.compare(0, 7, "(clang ") == 0 && clang_request(player, text))
        return;
    std::string name;
    std::vector<std::string> words;
    const char *error = split_command(text, name, words) ? execute(player, name, words) : kIllegalForm;
    if (error)
        transmit(player, error);
}

// Applies a split command; the server's error text when the command is unknown
// or its words do not fit its name, else nullptr.
const char *StandInServer::execute(StandInPlayer &player, const std::string &name,
                                   const std::vector<std::string> &words) {
    if (name == "bye") {
        if (!words.empty())
            return kIllegalForm;
        player.connected = false;
        return nullptr;
    }
    if (name == "change_view") {
        if (words.size() != 2 || !one_of(words[0], {"narrow", "normal", "wide"}) ||
            !one_of(words[1], {"high", "low"}))
            return kIllegalForm;
        player.view_width = words[0];
        player.view_quality = words[1];
        ++player.counters.change_view;
        return nullptr;
    }
    for (const CommandForm &form : kNumericForms) {
        if (name != form.name)
            continue;
        std::vector<double> values;
        if (words.size() != form.numbers || !parse_numbers(words, values))
            return kIllegalForm;
        if (perform(player, name, values))
            ++(player.counters.*form.counter);
        return nullptr;
    }
    return kUnknownCommand;
}

// Applies a well-formed numeric command; false when it is dropped: a second
// body command (dash, turn, kick, catch, move) or a second turn_neck in one
// cycle, or a move that is not allowed. A catch that fails is still counted.
bool StandInServer::perform(StandInPlayer &player, const std::string &name, const std::vector<double> &values) {
    if (name == "turn_neck") {
        if (player.neck_done)
            return false;
        standin_turn_neck(player, values[0]);
        player.neck_done = true;
        return true;
    }
    if (player.body_done || (name == "move" && !move_allowed(player)))
        return false;
    player.body_done = true;
    if (name == "dash")
        standin_dash(player, values[0]);
    else if (name == "turn")
        standin_turn(player, values[0]);
    else if (name == "kick")
        kick(player, values[0], values[1]);
    else if (name == "catch")
        goalie_catch(player, values[0]);
    else if (name == "move")
        move(player, values[0], values[1]);
    return true;
}

// A held ball moves only by its goalie, whose kick releases it; the first
// touch of a set play puts the ball in play.
void StandInServer::kick(const StandInPlayer &player, double power, double direction) {
    if (!kick_allowed(player) || (world_.holder >= 0 && !holds_ball(player)))
        return;
    world_.holder = -1;
    if (!standin_kick(player, world_, power, direction))
        return;
    world_.last_touch = player.side;
    if (play_mode_ != "play_on")
        announce("play_on");
}

// A kick counts only while the clock runs; with the referee on, only in play
// or by the side whose set play it is.
bool StandInServer::kick_allowed(const StandInPlayer &player) const {
    if (play_mode_ == "before_kick_off" || play_mode_ == "time_over")
        return false;
    return !options_.referee || play_mode_ == "play_on" || set_play_side(play_mode_) == player.side;
}

// A goalie's catch holds the ball while play is on, outside its ban, with the
// ball in its own penalty area and in the catch rectangle; the referee then
// gives the goalie's side a free kick. Every catch that is tried starts the ban.
void StandInServer::goalie_catch(StandInPlayer &player, double direction) {
    if (!player.goalie || player.catch_ban > 0 || play_mode_ != "play_on")
        return;
    player.catch_ban = standin_param::kCatchBanCycle;
    if (!standin_ball_in_penalty_area(world_, player.side) || !standin_ball_in_catch_area(player, world_, direction))
        return;
    set_ball(player.x, player.y);
    world_.holder = static_cast<int>(&player - players_.data());
    world_.last_touch = player.side;
    announce(std::string("goalie_catch_ball_") + player.side);
    announce(std::string("free_kick_") + player.side);
}

bool StandInServer::holds_ball(const StandInPlayer &player) const {
    return world_.holder >= 0 && &players_[static_cast<size_t>(world_.holder)] == &player;
}

// Players may be placed before kick-off and after a goal; a goalie holding the
// ball a few times.
bool StandInServer::move_allowed(const StandInPlayer &player) const {
    const std::string head = play_mode_.substr(0, 6);
    return play_mode_ == "before_kick_off" || head == "goal_l" || head == "goal_r" ||
           (holds_ball(player) && world_.holder_moves < standin_param::kGoalieMaxMoves);
}

// A goalie holding the ball carries it along.
void StandInServer::move(StandInPlayer &player, double x, double y) {
    place(player, x, y);
    if (!holds_ball(player))
        return;
    ++world_.holder_moves;
    world_.ball_x = player.x;
    world_.ball_y = player.y;
}

// Puts a player where its move command asks; the command is in the team's own
// frame, so the right team's coordinates are mirrored.
void StandInServer::place(StandInPlayer &player, double x, double y) {
    const double mirror = player.side == 'l' ? 1 : -1;
    player.x = std::clamp(mirror * x, -kFieldHalfLength, kFieldHalfLength);
    player.y = std::clamp(mirror * y, -kFieldHalfWidth, kFieldHalfWidth);
    player.vx = player.vy = 0;
    player.accel_x = player.accel_y = 0;
}

void StandInServer::record(const StandInPlayer *player, const std::string &text, const StandInCoach *coach) {
    if (received_.size() >= kMaxRecords)
        return;
    StandInDatagram datagram;
    if (player) {
        datagram.team = player->team;
        datagram.side = player->side;
        datagram.unum = player->unum;
    }
    if (coach) {
        datagram.coach = true;
        datagram.team = coach->team;
        datagram.side = coach->side;
    }
    datagram.cycle = cycle_;
    datagram.text = text;
    received_.push_back(datagram);
    arrived_.notify_all();
}

// Sends text and one NUL byte as a single datagram, unless the server fell silent.
bool StandInServer::transmit(int fd, const sockaddr_in &to, const std::string &text) const {
    if (silent_ || fd < 0)
        return false;
    const ssize_t sent = sendto(fd, text.c_str(), text.size() + 1, 0,
                                reinterpret_cast<const sockaddr *>(&to), sizeof to);
    return sent == static_cast<ssize_t>(text.size() + 1);
}

bool StandInServer::transmit(const StandInPlayer &player, const std::string &text) const {
    return player.connected && transmit(player.socket_fd, player.address, text);
}

void StandInServer::close_sockets() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (StandInPlayer &player : players_) {
        if (player.socket_fd >= 0)
            close(player.socket_fd);
        player.socket_fd = -1;
    }
    for (int *fd : {&main_fd_, &coach_fd_}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}
