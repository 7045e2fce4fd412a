#pragma once
// The coach's configuration record: its own tuning keys, the fixed field
// dimensions and the server's (SP_) and heterogeneous players' (HP_)
// parameters, with their defaults and the reader of the key-value files.
// The coach core derives from it.

#include "common/config_file.h"

class TTransfer;

class TConfig {
public:
    static const int kTextSize = kConfigTextSize;
    static const int kLineLength = kConfigLineLength;
    static const int kNumOptions = 147;

    // Writes every default; the keys `server` and `port` go to the given link,
    // or stay in this record when there is none.
    void init_config(TTransfer *link);

    // Reads the files named by "-file" options, then "coach.conf" unless one of
    // them held `corvane_config_file`, and recomputes the derived values.
    // Other arguments (such as "-offline") are left to the caller.
    void get_config(int argc, char **argv);
    // Reads the command-line switches "-console" and "-vq_test" beside the
    // "-file" and "-offline" that get_config and the core read. False, with a
    // line on standard error, on an argument the coach does not take.
    bool read_switches(int argc, char **argv);

    const char *server_host() const;
    int server_port() const;

    bool console = false;   // "-console": the virtual coach's loop on standard input
    bool vq_test = false;   // "-vq_test": print the vector quantiser's self-test and exit

    // The coach's own keys.
    char team_name[kTextSize] = "Corvane";
    int flush_freq = 10;
    bool print_on_screen = false;
    bool error_on_screen = false;
    bool save_log = false;
    char log_file[kTextSize] = "log";    // key rlog_file
    char err_file[kTextSize] = "err";    // key rerr_file
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
    float collision_buffer = 0.1f;
    float go_to_point_ignore_angle = 5;
    int my_intercept_step = 1;
    float no_turn_max_cycle_diff = -1;
    float hard_kick_angle_buffer = 10;
    float hard_kick_ignore_angle = 5;
    float hard_kick_back_buffer = 0.75f;
    float safe_dribble_ball_dist = 0.65f;

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
    float SP_goal_width = 14.02f;
    float SP_player_size = 0.3f;
    float SP_player_decay = 0.4f;
    float SP_player_rand = 0.1f;
    float SP_player_weight = 60;
    float SP_player_speed_max = 1;
    float SP_stamina_max = 4000;
    float SP_stamina_inc_max = 45;
    float SP_extra_stamina = 0;
    float SP_recover_dec_thr = 0.3f;
    float SP_recover_min = 0.5f;
    float SP_recover_dec = 0.002f;
    float SP_effort_dec_thr = 0.3f;
    float SP_effort_min = 0.6f;
    float SP_effort_max = 1.0f;
    float SP_effort_dec = 0.005f;
    float SP_effort_inc_thr = 0.6f;
    float SP_effort_inc = 0.01f;
    float SP_ball_size = 0.085f;
    float SP_ball_decay = 0.94f;
    float SP_ball_rand = 0.05f;
    float SP_ball_weight = 0.2f;
    float SP_ball_speed_max = 2.7f;
    float SP_ball_accel_max = 1.6f;
    float SP_dash_power_rate = 0.006f;
    float SP_kick_power_rate = 0.027f;
    float SP_kickable_margin = 0.7f;
    float SP_kickable_area = 0;          // derived
    float SP_catch_probability = 1;
    float SP_catchable_area_l = 2;
    float SP_catchable_area_w = 1;
    float SP_maxpower = 100;
    float SP_minpower = -100;
    float SP_maxmoment = 180;
    float SP_minmoment = -180;
    float SP_visible_angle = 90;
    float SP_visible_distance = 3;
    float SP_audio_cut_dist = 50;
    float SP_quantize_step = 0.1f;
    float SP_quantize_step_l = 0.01f;
    float SP_ckick_margin = 1;
    float SP_wind_dir = 0;
    float SP_wind_force = 0;
    float SP_wind_rand = 0;
    bool SP_wind_none = false;
    bool SP_wind_random = false;
    int SP_half_time = 300;
    int SP_port = 6000;                  // shadowed by the link's `port` key
    int SBE_grid_X = 12;                 // behaviour-model grid cell, metres
    int SBE_grid_Y = 5;
    int SP_coach_port = 6001;
    int SP_simulator_step = 100;
    int SP_send_step = 150;
    int SP_recv_step = 10;
    int SP_say_msg_size = 8192;
    int SP_hear_max = 2;
    int SP_hear_inc = 1;
    int SP_hear_decay = 2;
    int SP_catch_ban_cycle = 5;
    bool SP_coach = false;
    bool SP_coach_w_referee = false;
    bool SP_use_offside = true;
    bool SP_forbid_kick_off_offside = true;
    char SP_log_file[kTextSize] = "";
    char SP_record[kTextSize] = "";
    bool SP_record_log = false;
    int SP_record_version = 0;
    bool SP_send_log = false;
    char SP_replay[kTextSize] = "";
    bool SP_verbose = false;
    float SP_offside_active_area_size = 5;
    float SP_inertia_moment = 5;
    int SP_goalie_max_moves = 2;
    float SP_maxneckmoment = 180;
    float SP_minneckmoment = -180;
    float SP_maxneckang = 90;
    float SP_minneckang = -90;
    int SP_say_coach_cnt_max = 128;
    int SP_say_coach_msg_size = 128;
    int SP_send_vi_step = 100;
    int SP_sense_body_step = 100;
    float SP_offside_kick_margin = 0;
    bool SP_record_messages = false;
    float SP_player_accel_max = 1;
    float SP_kick_rand = 0;
    int SP_clang_win_size = 300;
    int SP_clang_define_win = 1;
    int SP_clang_meta_win = 1;
    int SP_clang_advice_win = 1;
    int SP_clang_info_win = 1;
    int SP_clang_mess_delay = 50;
    int SP_clang_mess_per_cycle = 1;
    bool SP_log_times = false;
    int SP_start_goal_l = 0;
    int SP_start_goal_r = 0;
    bool SP_fullstate_l = false;
    bool SP_fullstate_r = false;

    // The heterogeneous players' parameters.
    int HP_player_types = 7;
    int HP_subs_max = 3;
    int HP_pt_max = 3;
    float HP_player_speed_max_delta_min = 0;
    float HP_player_speed_max_delta_max = 0.2f;
    float HP_stamina_inc_max_delta_factor = -100;
    float HP_player_decay_delta_min = 0;
    float HP_player_decay_delta_max = 0.2f;
    float HP_inertia_moment_delta_factor = 25;
    float HP_dash_power_rate_delta_min = 0;
    float HP_dash_power_rate_delta_max = 0.2f;
    float HP_player_size_delta_factor = -100;
    float HP_kickable_margin_delta_min = 0;
    float HP_kickable_margin_delta_max = 0.2f;
    float HP_kick_rand_delta_factor = 0.5f;
    float HP_extra_stamina_delta_min = 0;
    float HP_extra_stamina_delta_max = 100;
    float HP_effort_max_delta_factor = -0.002f;
    float HP_effort_min_delta_factor = -0.002f;

    // Recomputes the kickable area and the kick distances that follow from it.
    void derive_values();

private:
    void build_options(Option *table, bool *corvane_config_file);
    char *server_text();
    int *server_port_field();

    TTransfer *server_link = nullptr;    // where `server` and `port` go, when there is a link
    char own_server[kTextSize] = "";     // `server` and `port` without a link
    int own_port = 0;
};
