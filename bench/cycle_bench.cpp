// The time a field player spends on one cycle in a crowded scene: the other 21
// players and the ball within 10 m of it. A cycle is what the signal handlers
// and the worker threads do between two sense_body messages, run here in turn
// on one thread: the sense_body and see texts are parsed, the world model is
// updated, every behaviour object assesses once and the core decides.
// Each cycle is timed alone; the report gives the median and the 99th
// percentile as counters, in microseconds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "agent_scene.h"
#include "fixtures.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "player/runtime/player_main.h"
#include "player/runtime/thr_utils.h"

namespace {

const char kMatch[] = "player-left-match.txt";   // I am "Alpha" 11, playing from the left
const char kFirstSee[] = "(see 0 ((f c) 22.4 27";     // flags that place me at (-20, -10), facing +x
const char kPlayOn[] = "(hear 27 referee play_on)";
const int kMe = 11;
const int kCycles = 5000;          // timed cycles per run
const int kWarmUpCycles = 20;      // untimed cycles that settle the world model first
const int kOthers = 21;            // every other player on the field
const float kCrowdRadius = 10.0f;
const float kFoot = 0.6f;          // ball distance inside the kickable area
const float kNear = 4.0f;          // ball distance out of reach

// The player's own prints (on stdout) go to /dev/null while a run lasts, so
// that the report stays readable; they are still written, as in a match.
class Quiet_Stdout {
public:
    Quiet_Stdout() {
        fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null = saved_ >= 0 ? open("/dev/null", O_WRONLY) : -1;
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~Quiet_Stdout() {
        fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
    }
    Quiet_Stdout(const Quiet_Stdout &) = delete;
    Quiet_Stdout &operator=(const Quiet_Stdout &) = delete;

private:
    int saved_ = -1;
};

void parse(const std::string &text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    parser->parse_message(buffer.data());
}

// The 21 others seen within the crowd radius, numbered and with their body and
// head directions as the server shows near players; "Beta" 1 is their goalkeeper.
std::string crowd(float ball_dist) {
    std::string entries;
    char entry[96] = {};
    snprintf(entry, sizeof entry, "((b) %.1f 0 0 0) ", ball_dist);
    entries += entry;
    for (int k = 0; k < kOthers; ++k) {
        const bool mate = k % 2 == 1;
        const int unum = k / 2 + 1;      // teammates 1..10, opponents 1..11
        const float dist = 1.5f + 0.4f * k;
        const int dir = -42 + 4 * k;
        const int body = (k * 37) % 360 - 180;
        snprintf(entry, sizeof entry, "((p \"%s\" %d%s) %.1f %d -0.1 0.2 %d %d) ", mate ? "Alpha" : "Beta",
                 unum, !mate && unum == 1 ? " goalie" : "", dist, dir, body, body);
        entries += entry;
    }
    return entries;
}

// What follows "(see 0 " in the captured see, its ball and players replaced by the crowd.
std::string crowded_see_tail(float ball_dist) {
    std::string see = fixture_line(kMatch, kFirstSee);
    const size_t from = see.find("((b)");
    const size_t to = see.find("((l r)");
    if (from == std::string::npos || to == std::string::npos || to < from)
        return std::string();
    see.replace(from, to - from, crowd(ball_dist));
    return see.substr(sizeof "(see 0 " - 1);
}

std::string sense_body_tail() {
    const char prefix[] = "(sense_body 0 ";
    const std::string sense = fixture_line(kMatch, prefix);
    return sense.empty() ? sense : sense.substr(sizeof prefix - 1);
}

// The texts the server sends before the first sense_body (init, parameters,
// player types) and the referee's play_on; then the game runs.
void join_the_match() {
    for (const std::string &line : fixture_lines(kMatch)) {
        if (line.compare(0, 11, "(sense_body") == 0)
            break;
        parse(line);
    }
    parse(kPlayOn);
    core->game_stopped = false;
}

// One message of game cycle t: "(see t ...", "(sense_body t ...". False when it does not fit.
bool format_message(char (&buffer)[kMessageSize + 1], const char *kind, int t, const std::string &tail) {
    const int n = snprintf(buffer, sizeof buffer, "(%s %d %s", kind, t, tail.c_str());
    return n > 0 && n < static_cast<int>(sizeof buffer);
}

// What the main thread and the worker threads do in one cycle, in their order
// and with their holds of the world lock: the sense_body starts the cycle, the
// see arrives, the timer updates the world, every object publishes and the core
// decides. No round is opened, so no publication starts a decision of its own.
template <class Object, int N>
void assess_all(Object *(&objects)[N]) {
    for (Object *object : objects) {
        if (!object)
            continue;
        World_Read_Lock world;
        object->assess();
    }
}

void run_cycle(char *sense, char *see) {
    {
        World_Write_Lock world;
        parser->parse_message(sense);
        core->update();
        core->cycle = core->info.sense.time;
    }
    {
        World_Write_Lock world;
        parser->parse_message(see);
    }
    {
        World_Write_Lock world;
        core->world->update();
    }
    assess_all(core->with_ball_objects);
    assess_all(core->without_ball_objects);
    World_Read_Lock world;
    core->decision();
}

int known_within(const TPlayer (&players)[kPlayerSlots], TPoint centre, float radius) {
    int count = 0;
    for (int i = 1; i < kPlayerSlots; ++i)
        if (&players[i] != core->world->me && players[i].know_pos() && players[i].pos.dist(centre) < radius)
            ++count;
    return count;
}

bool scene_is_crowded() {
    const TWorld_Model &w = *core->world;
    const TPoint me = w.me->pos;
    const int others = known_within(w.teammates, me, kCrowdRadius) + known_within(w.opponents, me, kCrowdRadius);
    return others == kOthers && w.ball.know_pos() && w.ball.pos.dist(me) < kCrowdRadius;
}

// Value at fraction q of the sorted samples (nearest rank).
double quantile(const std::vector<double> &sorted, double q) {
    if (sorted.empty())
        return 0;
    const size_t rank = static_cast<size_t>(std::ceil(q * sorted.size()));
    return sorted[std::min(sorted.size() - 1, rank > 0 ? rank - 1 : 0)];
}

void report(benchmark::State &state, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = quantile(micros, 0.5);
    state.counters["p99_us"] = quantile(micros, 0.99);
    state.counters["max_us"] = micros.empty() ? 0 : micros.back();
}

// The player, its behaviour objects and the crowd, in a fresh working
// directory that is removed afterwards.
class Crowded_Scene {
public:
    explicit Crowded_Scene(float ball_dist) : home_(std::filesystem::current_path()) {
        make_agent<TCore>(kMe, true);
        work_dir_ = std::filesystem::current_path();
        snprintf(core->team_name, sizeof core->team_name, "Alpha");
        create_behaviour_objects();
        join_the_match();
        see_tail_ = crowded_see_tail(ball_dist);
        sense_tail_ = sense_body_tail();
    }
    ~Crowded_Scene() {
        destroy_agent();
        std::error_code ignored;
        std::filesystem::current_path(home_, ignored);
        if (work_dir_ != home_)
            std::filesystem::remove_all(work_dir_, ignored);
    }
    Crowded_Scene(const Crowded_Scene &) = delete;
    Crowded_Scene &operator=(const Crowded_Scene &) = delete;

    bool complete() const { return !see_tail_.empty() && !sense_tail_.empty(); }

    // Formats the next cycle's messages (untimed); false when they do not fit.
    bool next_messages() {
        ++time_;
        return format_message(sense_, "sense_body", time_, sense_tail_) &&
               format_message(see_, "see", time_, see_tail_);
    }
    void cycle() { run_cycle(sense_, see_); }

private:
    std::filesystem::path home_, work_dir_;
    std::string see_tail_, sense_tail_;
    int time_ = 0;
    char sense_[kMessageSize + 1] = {};
    char see_[kMessageSize + 1] = {};
};

void BM_Field_Player_Cycle(benchmark::State &state, float ball_dist) {
    Quiet_Stdout quiet;
    Crowded_Scene scene(ball_dist);
    if (!scene.complete()) {
        state.SkipWithError("the captured messages are missing");
        return;
    }
    for (int i = 0; i < kWarmUpCycles && scene.next_messages(); ++i)
        scene.cycle();
    if (!scene_is_crowded()) {
        state.SkipWithError("the world model does not show the crowd");
        return;
    }
    std::vector<double> micros;
    micros.reserve(kCycles);
    for (auto _ : state) {
        if (!scene.next_messages()) {
            state.SkipWithError("a message does not fit the buffer");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        scene.cycle();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        micros.push_back(took.count() * 1e6);
    }
    report(state, micros);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Field_Player_Cycle, ball_at_my_feet, kFoot)
    ->Iterations(kCycles)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Field_Player_Cycle, ball_out_of_reach, kNear)
    ->Iterations(kCycles)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
