#include "coach/config.h"

#include "common/config_file.h"
#include "common/transfer.h"

#include <cstdio>
#include <cstring>

static_assert(TTransfer::kHostSize >= TConfig::kTextSize, "the host text must fit the link's buffer");

static const char kDefaultHost[] = "localhost";
static const int kDefaultPort = 6000;
static const char kDefaultFile[] = "coach.conf";

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
    SP_kickable_area = SP_kickable_margin + SP_ball_size + SP_player_size;
    hard_kick_ball_dist = 0.6f * SP_kickable_area;
    closest_margin = SP_ball_size + SP_player_size + 1.05f * hard_kick_dist_buffer;
    ball_ctrl_dist = closest_margin + 0.1f;
}

// The lookup stops at the first entry of a name, so the second `port` (the
// record's own) is never written. The table ends with an entry without a field.
void TConfig::build_options(Option *table, bool *corvane_config_file) {
    const Option options[kNumOptions + 1] = {
        entry("server", server_text()),
        entry("port", server_port_field()),
        entry("SBE_grid_X", &SBE_grid_X),
        entry("SBE_grid_Y", &SBE_grid_Y),
        entry("goal_width", &SP_goal_width),
        entry("player_size", &SP_player_size),
        entry("player_decay", &SP_player_decay),
        entry("player_rand", &SP_player_rand),
        entry("player_weight", &SP_player_weight),
        entry("player_speed_max", &SP_player_speed_max),
        entry("stamina_max", &SP_stamina_max),
        entry("stamina_inc_max", &SP_stamina_inc_max),
        entry("recover_dec_thr", &SP_recover_dec_thr),
        entry("recover_min", &SP_recover_min),
        entry("recover_dec", &SP_recover_dec),
        entry("effort_dec_thr", &SP_effort_dec_thr),
        entry("effort_min", &SP_effort_min),
        entry("effort_dec", &SP_effort_dec),
        entry("effort_inc_thr", &SP_effort_inc_thr),
        entry("effort_inc", &SP_effort_inc),
        entry("ball_size", &SP_ball_size),
        entry("ball_decay", &SP_ball_decay),
        entry("ball_rand", &SP_ball_rand),
        entry("ball_weight", &SP_ball_weight),
        entry("ball_speed_max", &SP_ball_speed_max),
        entry("ball_accel_max", &SP_ball_accel_max),
        entry("dash_power_rate", &SP_dash_power_rate),
        entry("kick_power_rate", &SP_kick_power_rate),
        entry("kickable_margin", &SP_kickable_margin),
        entry("catch_probability", &SP_catch_probability),
        entry("catchable_area_l", &SP_catchable_area_l),
        entry("catchable_area_w", &SP_catchable_area_w),
        entry("maxpower", &SP_maxpower),
        entry("minpower", &SP_minpower),
        entry("maxmoment", &SP_maxmoment),
        entry("minmoment", &SP_minmoment),
        entry("visible_angle", &SP_visible_angle),
        entry("visible_distance", &SP_visible_distance),
        entry("audio_cut_dist", &SP_audio_cut_dist),
        entry("quantize_step", &SP_quantize_step),
        entry("quantize_step_l", &SP_quantize_step_l),
        entry("ckick_margin", &SP_ckick_margin),
        entry("wind_dir", &SP_wind_dir),
        entry("wind_force", &SP_wind_force),
        entry("wind_rand", &SP_wind_rand),
        flag("wind_none", &SP_wind_none),
        flag("wind_random", &SP_wind_random),
        entry("half_time", &SP_half_time),
        entry("port", &SP_port),
        entry("coach_port", &SP_coach_port),
        entry("simulator_step", &SP_simulator_step),
        entry("send_step", &SP_send_step),
        entry("recv_step", &SP_recv_step),
        entry("say_msg_size", &SP_say_msg_size),
        entry("hear_max", &SP_hear_max),
        entry("hear_inc", &SP_hear_inc),
        entry("hear_decay", &SP_hear_decay),
        entry("catch_ban_cycle", &SP_catch_ban_cycle),
        flag("coach", &SP_coach),
        flag("coach_w_referee", &SP_coach_w_referee),
        onoff("use_offside", &SP_use_offside),
        onoff("forbid_kick_off_offside", &SP_forbid_kick_off_offside),
        entry("log_file", SP_log_file),
        entry("record", SP_record),
        flag("record_log", &SP_record_log),
        entry("record_version", &SP_record_version),
        flag("send_log", &SP_send_log),
        entry("replay", SP_replay),
        onoff("verbose", &SP_verbose),
        entry("offside_active_area_size", &SP_offside_active_area_size),
        entry("inertia_moment", &SP_inertia_moment),
        entry("goalie_max_moves", &SP_goalie_max_moves),
        entry("maxneckmoment", &SP_maxneckmoment),
        entry("minneckmoment", &SP_minneckmoment),
        entry("maxneckang", &SP_maxneckang),
        entry("minneckang", &SP_minneckang),
        entry("say_coach_cnt_max", &SP_say_coach_cnt_max),
        entry("say_coach_msg_size", &SP_say_coach_msg_size),
        entry("send_vi_step", &SP_send_vi_step),
        entry("sense_body_step", &SP_sense_body_step),
        entry("offside_kick_margin", &SP_offside_kick_margin),
        onoff("record_messages", &SP_record_messages),
        entry("player_accel_max", &SP_player_accel_max),
        entry("kick_rand", &SP_kick_rand),
        entry("clang_win_size", &SP_clang_win_size),
        entry("clang_define_win", &SP_clang_define_win),
        entry("clang_meta_win", &SP_clang_meta_win),
        entry("clang_advice_win", &SP_clang_advice_win),
        entry("clang_info_win", &SP_clang_info_win),
        entry("clang_mess_delay", &SP_clang_mess_delay),
        entry("clang_mess_per_cycle", &SP_clang_mess_per_cycle),
        onoff("log_times", &SP_log_times),
        entry("player_types", &HP_player_types),
        entry("subs_max", &HP_subs_max),
        entry("player_speed_max_delta_min", &HP_player_speed_max_delta_min),
        entry("player_speed_max_delta_max", &HP_player_speed_max_delta_max),
        entry("stamina_inc_max_delta_factor", &HP_stamina_inc_max_delta_factor),
        entry("player_decay_delta_min", &HP_player_decay_delta_min),
        entry("player_decay_delta_max", &HP_player_decay_delta_max),
        entry("inertia_moment_delta_factor", &HP_inertia_moment_delta_factor),
        entry("dash_power_rate_delta_min", &HP_dash_power_rate_delta_min),
        entry("dash_power_rate_delta_max", &HP_dash_power_rate_delta_max),
        entry("player_size_delta_factor", &HP_player_size_delta_factor),
        entry("kickable_margin_delta_min", &HP_kickable_margin_delta_min),
        entry("kickable_margin_delta_max", &HP_kickable_margin_delta_max),
        entry("kick_rand_delta_factor", &HP_kick_rand_delta_factor),
        entry("extra_stamina_delta_min", &HP_extra_stamina_delta_min),
        entry("extra_stamina_delta_max", &HP_extra_stamina_delta_max),
        entry("effort_min_delta_factor", &HP_effort_min_delta_factor),
        entry("effort_max_delta_factor", &HP_effort_max_delta_factor),
        entry("start_goal_l", &SP_start_goal_l),
        entry("start_goal_r", &SP_start_goal_r),
        onoff("fullstate_l", &SP_fullstate_l),
        onoff("fullstate_r", &SP_fullstate_r),
        entry("team_name", team_name),
        entry("flush_freq", &flush_freq),
        flag("print_on_screen", &print_on_screen),
        flag("error_on_screen", &error_on_screen),
        flag("save_log", &save_log),
        entry("rlog_file", log_file),
        entry("rerr_file", err_file),
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
        flag("corvane_config_file", corvane_config_file),
        Option(),
    };
    for (int i = 0; i <= kNumOptions; i++)
        table[i] = options[i];
}

bool TConfig::read_switches(int argc, char **argv) {
    const Switch switches[] = {{"-console", &console}, {"-vq_test", &vq_test}, {"-offline", nullptr}};
    return ::read_switches(argc, argv, switches, 3);
}

void TConfig::get_config(int argc, char **argv) {
    bool corvane_config_file = false;
    Option options[kNumOptions + 1];
    build_options(options, &corvane_config_file);

    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-file") != 0)
            continue;
        if (i + 1 >= argc)
            printf("\ncan't open configuration file : (no name after -file)\n");
        else if (!read_config_file(argv[++i], options))
            printf("\ncan't open configuration file : %s\n", argv[i]);
    }

    if (!corvane_config_file) {
        printf("trying to open default configuration file. . .\n");
        if (!read_config_file(kDefaultFile, options)) {
            printf("\ncan't open default configuration file : ");
            printf("using default configuration. . .\n");
            return;
        }
    }
    derive_values();
}
