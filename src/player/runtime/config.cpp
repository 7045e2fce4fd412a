#include "player/runtime/config.h"

#include "common/config_file.h"
#include "common/transfer.h"
#include "player/runtime/client.h"

#include <cstdio>
#include <cstring>

static_assert(TTransfer::kHostSize >= TConfig::kTextSize, "the host text must fit the link's buffer");

static const char kDefaultHost[] = "localhost";
static const int kDefaultPort = 6000;
static const char kDefaultFile[] = "agent.conf";

void TConfig::init_config() { init_config(net); }

void TConfig::init_config(TTransfer *link) {
    *this = TConfig();                   // every field back to its default
    server_link = link;
    snprintf(server_text(), kTextSize, "%s", kDefaultHost);
    *server_port_field() = kDefaultPort;
    derive_values();
}

char *TConfig::server_text() { return server_link ? server_link->server : own_server; }

int *TConfig::server_port_field() { return server_link ? &server_link->port : &own_port; }

const char *TConfig::server_host() const { return server_link ? server_link->server : own_server; }

int TConfig::server_port() const { return server_link ? server_link->port : own_port; }

void TConfig::derive_values() {
    kickable_area = kickable_margin + ball_size + player_size;
    hard_kick_ball_dist = 0.6f * kickable_area;
    closest_margin = ball_size + player_size + 1.05f * hard_kick_dist_buffer;
    ball_ctrl_dist = closest_margin + 0.1f;
}

// The lookup stops at the first entry of a name, so the second `port` (the
// record's own) is never written.
TConfig::Option_Table TConfig::build_options(bool *corvane_config_file) {
    return {{
        entry("server", server_text()),
        entry("port", server_port_field()),
        entry("goal_width", &goal_width),
        entry("player_size", &player_size),
        entry("player_decay", &player_decay),
        entry("player_rand", &player_rand),
        entry("player_weight", &player_weight),
        entry("player_speed_max", &player_speed_max),
        entry("stamina_max", &stamina_max),
        entry("stamina_inc_max", &stamina_inc_max),
        entry("recover_dec_thr", &recover_dec_thr),
        entry("recover_min", &recover_min),
        entry("recover_dec", &recover_dec),
        entry("effort_dec_thr", &effort_dec_thr),
        entry("effort_min", &effort_min),
        entry("effort_dec", &effort_dec),
        entry("effort_inc_thr", &effort_inc_thr),
        entry("effort_inc", &effort_inc),
        entry("ball_size", &ball_size),
        entry("ball_decay", &ball_decay),
        entry("ball_rand", &ball_rand),
        entry("ball_weight", &ball_weight),
        entry("ball_speed_max", &ball_speed_max),
        entry("ball_accel_max", &ball_accel_max),
        entry("dash_power_rate", &dash_power_rate),
        entry("kick_power_rate", &kick_power_rate),
        entry("kickable_margin", &kickable_margin),
        entry("catch_probability", &catch_probability),
        entry("catchable_area_l", &catchable_area_l),
        entry("catchable_area_w", &catchable_area_w),
        entry("maxpower", &maxpower),
        entry("minpower", &minpower),
        entry("maxmoment", &maxmoment),
        entry("minmoment", &minmoment),
        entry("visible_angle", &visible_angle),
        entry("visible_distance", &visible_distance),
        entry("audio_cut_dist", &audio_cut_dist),
        entry("quantize_step", &quantize_step),
        entry("quantize_step_l", &quantize_step_l),
        entry("ckick_margin", &ckick_margin),
        entry("wind_dir", &wind_dir),
        entry("wind_force", &wind_force),
        entry("wind_rand", &wind_rand),
        flag("wind_none", &wind_none),
        flag("wind_random", &wind_random),
        entry("half_time", &half_time),
        entry("port", &port),
        entry("coach_port", &coach_port),
        entry("simulator_step", &simulator_step),
        entry("send_step", &send_step),
        entry("recv_step", &recv_step),
        entry("say_msg_size", &say_msg_size),
        entry("hear_max", &hear_max),
        entry("hear_inc", &hear_inc),
        entry("hear_decay", &hear_decay),
        entry("catch_ban_cycle", &catch_ban_cycle),
        flag("coach", &coach),
        flag("coach_w_referee", &coach_w_referee),
        onoff("use_offside", &use_offside),
        onoff("forbid_kick_off_offside", &forbid_kick_off_offside),
        entry("log_file", log_file),
        entry("record", record),
        flag("record_log", &record_log),
        entry("record_version", &record_version),
        flag("send_log", &send_log),
        entry("replay", replay),
        onoff("verbose", &verbose),
        entry("offside_active_area_size", &offside_active_area_size),
        entry("inertia_moment", &inertia_moment),
        entry("goalie_max_moves", &goalie_max_moves),
        entry("maxneckmoment", &maxneckmoment),
        entry("minneckmoment", &minneckmoment),
        entry("maxneckang", &maxneckang),
        entry("minneckang", &minneckang),
        entry("say_coach_cnt_max", &say_coach_cnt_max),
        entry("say_coach_msg_size", &say_coach_msg_size),
        entry("send_vi_step", &send_vi_step),
        entry("sense_body_step", &sense_body_step),
        entry("offside_kick_margin", &offside_kick_margin),
        onoff("record_messages", &record_messages),
        entry("player_accel_max", &player_accel_max),
        entry("kick_rand", &kick_rand),
        entry("clang_win_size", &clang_win_size),
        entry("clang_define_win", &clang_define_win),
        entry("clang_meta_win", &clang_meta_win),
        entry("clang_advice_win", &clang_advice_win),
        entry("clang_info_win", &clang_info_win),
        entry("clang_mess_delay", &clang_mess_delay),
        entry("clang_mess_per_cycle", &clang_mess_per_cycle),
        onoff("log_times", &log_times),
        entry("drop_ball_time", &drop_ball_time),
        entry("player_types", &player_types),
        entry("subs_max", &subs_max),
        entry("player_speed_max_delta_min", &player_speed_max_delta_min),
        entry("player_speed_max_delta_max", &player_speed_max_delta_max),
        entry("stamina_inc_max_delta_factor", &stamina_inc_max_delta_factor),
        entry("player_decay_delta_min", &player_decay_delta_min),
        entry("player_decay_delta_max", &player_decay_delta_max),
        entry("inertia_moment_delta_factor", &inertia_moment_delta_factor),
        entry("dash_power_rate_delta_min", &dash_power_rate_delta_min),
        entry("dash_power_rate_delta_max", &dash_power_rate_delta_max),
        entry("player_size_delta_factor", &player_size_delta_factor),
        entry("kickable_margin_delta_min", &kickable_margin_delta_min),
        entry("kickable_margin_delta_max", &kickable_margin_delta_max),
        entry("kick_rand_delta_factor", &kick_rand_delta_factor),
        entry("extra_stamina_delta_min", &extra_stamina_delta_min),
        entry("extra_stamina_delta_max", &extra_stamina_delta_max),
        entry("effort_min_delta_factor", &effort_min_delta_factor),
        entry("effort_max_delta_factor", &effort_max_delta_factor),
        entry("start_goal_l", &start_goal_l),
        entry("start_goal_r", &start_goal_r),
        onoff("fullstate_l", &fullstate_l),
        onoff("fullstate_r", &fullstate_r),
        entry("team_name", team_name),
        entry("flush_freq", &flush_freq),
        flag("print_on_screen", &print_on_screen),
        flag("error_on_screen", &error_on_screen),
        flag("save_log", &save_log),
        entry("rlog_file", rlog_file),
        entry("rerr_file", rerr_file),
        entry("eval_conf", eval_conf),
        entry("overlap_on_field_scan", &overlap_on_field_scan),
        entry("power_buffer", &power_buffer),
        entry("ball_stop_power", &ball_stop_power),
        entry("turnball_worry_dist", &turnball_worry_dist),
        entry("kick_min_dir", &kick_min_dir),
        entry("max_ignore_vel", &max_ignore_vel),
        entry("max_turn_kick_pow", &max_turn_kick_pow),
        entry("hard_kick_dist_buffer", &hard_kick_dist_buffer),
        entry("quick_kick_max_angle", &quick_kick_max_angle),
        entry("hardest_kick_max_angle", &hardest_kick_max_angle),
        entry("fastest_dash_power", &fastest_dash_power),
        entry("fast_dash_power", &fast_dash_power),
        entry("moderate_dash_power", &moderate_dash_power),
        entry("slow_dash_power", &slow_dash_power),
        entry("slowest_dash_power", &slowest_dash_power),
        entry("kick_factor", &kick_factor),
        entry("run_buffer", &run_buffer),
        entry("collision_buffer", &collision_buffer),
        entry("go_to_point_ignore_angle", &go_to_point_ignore_angle),
        entry("my_intercept_step", &my_intercept_step),
        entry("no_turn_max_cycle_diff", &no_turn_max_cycle_diff),
        entry("hard_kick_angle_buffer", &hard_kick_angle_buffer),
        entry("hard_kick_ignore_angle", &hard_kick_ignore_angle),
        entry("hard_kick_back_buffer", &hard_kick_back_buffer),
        entry("safe_dribble_ball_dist", &safe_dribble_ball_dist),
        entry("player_chance_decay", &player_chance_decay),
        entry("opponent_close_dist", &opponent_close_dist),
        entry("go_to_ball_buffer", &go_to_ball_buffer),
        entry("stop_ball_dist_buffer", &stop_ball_dist_buffer),
        flag("corvane_config_file", corvane_config_file),
        Option(),
    }};
}

bool TConfig::read_switches(int argc, char **argv) {
    const Switch switches[] = {{"-monitor", &monitor}, {"-kill_handler", &kill_handler}};
    return ::read_switches(argc, argv, switches, 2);
}

void TConfig::get_config(int argc, char **argv) {
    bool corvane_config_file = false;
    const Option_Table options = build_options(&corvane_config_file);

    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-file") != 0)
            continue;
        if (i + 1 >= argc)
            fprintf(stderr, "-file without a file name after it; ignored\n");
        else if (!read_config_file(argv[i + 1], options.data()))
            printf("\ncan't open configuration file : %s\n", argv[i + 1]);
    }

    if (!corvane_config_file) {
        printf("trying to open default configuration file. . .\n");
        if (!read_config_file(kDefaultFile, options.data())) {
            printf("\ncan't open default configuration file : ");
            printf("using default configuration. . .\n");
            return;
        }
    }
    derive_values();
}
