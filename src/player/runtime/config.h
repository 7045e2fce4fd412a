#pragma once
// The player's configuration record: the agents' tuning keys, fixed field
// dimensions and the server's physical parameters, with their defaults and the
// reader of the key-value configuration files. The agent core derives from it.

#include <array>

#include "common/config_file.h"

class TTransfer;

class TConfig {
public:
    static const int kTextSize = kConfigTextSize;
    static const int kLineLength = kConfigLineLength;

    // Writes every default. The keys `server` and `port` go to the given link;
    // without a link they are kept in this record. The first form uses `net`.
    void init_config();
    void init_config(TTransfer *link);

    // Reads the files named by "-file" options, then "agent.conf" unless one of
    // them held `corvane_config_file`, and recomputes the derived values.
    void get_config(int argc, char **argv);
    // Reads the switches "-monitor" and "-kill_handler" beside "-file". False,
    // with a line on standard error, on an argument the player does not take.
    bool read_switches(int argc, char **argv);

    const char *server_host() const;     // the host that the `server` key writes
    int server_port() const;             // the port that the `port` key writes

    // The agents' own keys.
    char team_name[kTextSize] = "OstraCorvane2001";
    int flush_freq = 10;
    bool print_on_screen = false;
    bool error_on_screen = false;
    bool save_log = false;
    bool monitor = false;         // -monitor: show the world model on a display monitor
    bool kill_handler = false;    // -kill_handler: end in order on Ctrl-C and kin
    char rlog_file[kTextSize] = "log";
    char rerr_file[kTextSize] = "err";
    char eval_conf[kTextSize] = "";
    float overlap_on_field_scan = 5;
    float power_buffer = 10;
    int ball_stop_power = 17;
    float turnball_worry_dist = 5;
    float kick_min_dir = 3;
    float max_ignore_vel = 0.005f;
    float max_turn_kick_pow = 15;
    float ball_ctrl_dist = 0;            // derived
    float hard_kick_ball_dist = 0;       // derived
    float closest_margin = 0;            // derived
    float kick_factor = 1;
    float hard_kick_dist_buffer = 0.1f;
    float quick_kick_max_angle = 5;
    float hardest_kick_max_angle = 3;
    float fastest_dash_power = 100;
    float fast_dash_power = 85;
    float moderate_dash_power = 60;
    float slow_dash_power = 40;
    float slowest_dash_power = 20;
    float run_buffer = 1;
    float collision_buffer = 0.2f;
    float go_to_point_ignore_angle = 5;
    int my_intercept_step = 1;
    float no_turn_max_cycle_diff = 3;
    float hard_kick_angle_buffer = 10;
    float hard_kick_ignore_angle = 5;
    float hard_kick_back_buffer = 0.75f;
    float safe_dribble_ball_dist = 0.65f;
    float player_chance_decay = 0.9f;
    float opponent_close_dist = 4;
    float go_to_ball_buffer = 0;
    float stop_ball_dist_buffer = 0.7f;

    // Field dimensions in metres, fixed.
    float SP_pitch_length = 105;
    float SP_pitch_width = 68;
    float SP_pitch_margin = 5;
    float SP_penalty_area_length = 16.5f;
    float SP_penalty_area_width = 40.32f;
    float SP_goal_area_length = 5.5f;
    float SP_goal_area_width = 18.32f;
    float SP_penalty_spot_dist = 11;
    float SP_corner_arc_r = 1;
    float SP_free_kick_buffer = 9.15f;
    int SP_after_goal_wait = 50;
    float SP_feel_distance = 3;
    int SP_num_lines = 4;
    int SP_num_markers = 55;
    float SP_unum_far_length = 20;
    float SP_unum_too_far_length = 40;
    float SP_team_far_length = 40;
    float SP_team_too_far_length = 60;

    // The server's parameters.
    float goal_width = 14.02f;
    float player_size = 0.3f;
    float player_decay = 0.4f;
    float player_rand = 0.1f;
    float player_weight = 60;
    float player_speed_max = 1;
    float stamina_max = 4000;
    float stamina_inc_max = 45;
    float extra_stamina = 0;             // set by the heterogeneous player type
    float recover_dec_thr = 0.3f;
    float recover_min = 0.5f;
    float recover_dec = 0.002f;
    float effort_dec_thr = 0.3f;
    float effort_min = 0.6f;
    float effort_max = 1.0f;             // set by the heterogeneous player type
    float effort_dec = 0.005f;
    float effort_inc_thr = 0.6f;
    float effort_inc = 0.01f;
    float ball_size = 0.085f;
    float ball_decay = 0.94f;
    float ball_rand = 0.05f;
    float ball_weight = 0.2f;
    float ball_speed_max = 2.7f;
    float ball_accel_max = 2.7f;
    float dash_power_rate = 0.006f;
    float kick_power_rate = 0.027f;
    float kickable_margin = 0.7f;
    float kickable_area = 0;             // derived
    float catch_probability = 1;
    float catchable_area_l = 2;
    float catchable_area_w = 1;
    float maxpower = 100;
    float minpower = -100;
    float maxmoment = 180;
    float minmoment = -180;
    float visible_angle = 90;
    float visible_distance = 3;
    float audio_cut_dist = 50;
    float quantize_step = 0.1f;
    float quantize_step_l = 0.01f;
    float ckick_margin = 1;
    float wind_dir = 0;
    float wind_force = 0;
    float wind_rand = 0;
    bool wind_none = false;
    bool wind_random = false;
    int half_time = 300;
    int port = 6000;                     // shadowed by the link's `port` key
    int coach_port = 6001;
    int simulator_step = 100;
    int send_step = 150;
    int recv_step = 10;
    int say_msg_size = 512;
    int hear_max = 2;
    int hear_inc = 1;
    int hear_decay = 2;
    int catch_ban_cycle = 5;
    bool coach = false;
    bool coach_w_referee = false;
    bool use_offside = true;
    bool forbid_kick_off_offside = true;
    char log_file[kTextSize] = "";
    char record[kTextSize] = "";
    bool record_log = false;
    int record_version = 0;
    bool send_log = false;
    char replay[kTextSize] = "";
    bool verbose = false;
    float offside_active_area_size = 5;
    float inertia_moment = 5;
    int goalie_max_moves = 2;
    float maxneckmoment = 180;
    float minneckmoment = -180;
    float maxneckang = 90;
    float minneckang = -90;
    int say_coach_cnt_max = 128;
    int say_coach_msg_size = 128;
    int send_vi_step = 100;
    int sense_body_step = 100;
    float offside_kick_margin = 0;
    bool record_messages = false;
    float player_accel_max = 1;
    float kick_rand = 0;
    int clang_win_size = 300;
    int clang_define_win = 1;
    int clang_meta_win = 1;
    int clang_advice_win = 1;
    int clang_info_win = 1;
    int clang_mess_delay = 50;
    int clang_mess_per_cycle = 1;
    bool log_times = false;
    float drop_ball_time = 200;
    int player_types = 7;
    int subs_max = 3;
    int pt_max = 3;
    float player_speed_max_delta_min = 0;
    float player_speed_max_delta_max = 0.2f;
    float stamina_inc_max_delta_factor = -100;
    float player_decay_delta_min = 0;
    float player_decay_delta_max = 0.2f;
    float inertia_moment_delta_factor = 25;
    float dash_power_rate_delta_min = 0;
    float dash_power_rate_delta_max = 0.2f;
    float player_size_delta_factor = -100;
    float kickable_margin_delta_min = 0;
    float kickable_margin_delta_max = 0.2f;
    float kick_rand_delta_factor = 0.5f;
    float extra_stamina_delta_min = 0;
    float extra_stamina_delta_max = 100;
    float effort_min_delta_factor = -0.002f;
    float effort_max_delta_factor = -0.002f;
    int start_goal_l = 0;
    int start_goal_r = 0;
    bool fullstate_l = false;
    bool fullstate_r = false;

    // Recomputes the kick distances that follow from the kickable area.
    void derive_values();

private:
    static const int kNumOptions = 151;
    using Option_Table = std::array<Option, kNumOptions + 1>;   // ends with a null pointer

    Option_Table build_options(bool *corvane_config_file);
    char *server_text();
    int *server_port_field();

    TTransfer *server_link = nullptr;    // where `server` and `port` go, when there is a link
    char own_server[kTextSize] = "";     // `server` and `port` without a link
    int own_port = 0;
};
