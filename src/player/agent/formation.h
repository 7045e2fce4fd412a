#pragma once
// Posts (roles such as striker or sweeper) and formations (ten posts for the
// ten field players), read from "./data/posts.conf" and "./data/formation.rf";
// also the core's simpler per-number table read from the working directory's
// "formation.rf".

#include <cstddef>
#include <cstdio>

#include "common/geometry.h"

enum Player_Post {
    center_defense = 0,
    right_defense,
    left_defense,
    right_wing_defense,
    left_wing_defense,
    sweeper,
    center_midfield,
    right_midfield,
    left_midfield,
    defensive_midfield,
    attacking_midfield,
    right_wing,
    left_wing,
    striker,
    center_attack,
    right_attack,
    left_attack,
    right_wing_attack,
    left_wing_attack,
};

const int kPostCount = 19;
const int kFormationSlots = 10;   // slot k is played by uniform number k + 2
const int kMaxFormations = 10;
const int kNameSize = 20;
const float kMaxFileNumber = 1000;   // larger magnitudes in a formation file are refused

// One post: seven base points (one per team mode), the attraction factors for
// a ball in our half (x <= 0) and in theirs, and the x range of the post.
struct Post {
    char name[kNameSize] = {};
    Player_Post id = striker;
    TPoint base, expanded, h_expanded, v_expanded;
    TPoint integrated, h_integrated, v_integrated;
    TPoint back_attraction, front_attraction;
    bool behind_ball = false;   // never stands ahead of the ball's x
    float min_x = 0, max_x = 0;
};

// A named formation: the post and mode ("free" 0, "restricted" 1) of each slot.
struct TFormation {
    char name[kNameSize] = {};
    Player_Post posts[kFormationSlots] = {};
    const Post *post_pointers[kFormationSlots] = {};   // null for a slot never read
    int modes[kFormationSlots] = {};

    int player_post(int i) const;
    int player_mode(int i) const;
};

// The table of the 19 posts and the formations that refer to them.
class TForm_Config {
public:
    static constexpr const char *kPostsFile = "./data/posts.conf";
    static constexpr const char *kFormationFile = "./data/formation.rf";

    // Reads the posts file, then the formation file. A missing file is reported
    // on standard output and tolerated; a malformed line ends the program.
    explicit TForm_Config(const char *posts_path = kPostsFile,
                          const char *formation_path = kFormationFile);
    TForm_Config(const TForm_Config &) = delete;              // formations point into posts
    TForm_Config &operator=(const TForm_Config &) = delete;

    void load_posts_config_file(const char *path);
    void load_formation_file(const char *path);

    int formations_read() const { return formation_count; }
    TFormation get_current_formation() const { return formations[current_formation]; }
    bool set_current_formation(const char *name);

    // By post number; an unknown number gives the first record (striker).
    Post post(Player_Post p) const { return *post_pointer(p); }
    const Post *post_pointer(Player_Post p) const;
    TPoint base_pos(Player_Post p) const { return post_pointer(p)->base; }
    TPoint expanded_base_pos(Player_Post p) const { return post_pointer(p)->expanded; }
    TPoint h_expanded_base_pos(Player_Post p) const { return post_pointer(p)->h_expanded; }
    TPoint v_expanded_base_pos(Player_Post p) const { return post_pointer(p)->v_expanded; }
    TPoint integrated_base_pos(Player_Post p) const { return post_pointer(p)->integrated; }
    TPoint h_integrated_base_pos(Player_Post p) const { return post_pointer(p)->h_integrated; }
    TPoint v_integrated_base_pos(Player_Post p) const { return post_pointer(p)->v_integrated; }
    bool behind_ball(Player_Post p) const { return post_pointer(p)->behind_ball; }
    float min_x(Player_Post p) const { return post_pointer(p)->min_x; }
    float max_x(Player_Post p) const { return post_pointer(p)->max_x; }

    // By slot of the current formation; a slot outside 0..9 gives slot 0's
    // post, (0, 0) points, no behind_ball and the range [-50, 50].
    Post post(int slot) const;
    TPoint base_pos(int slot) const { return slot_point(slot, &Post::base); }
    TPoint expanded_base_pos(int slot) const { return slot_point(slot, &Post::expanded); }
    TPoint h_expanded_base_pos(int slot) const { return slot_point(slot, &Post::h_expanded); }
    TPoint v_expanded_base_pos(int slot) const { return slot_point(slot, &Post::v_expanded); }
    TPoint integrated_base_pos(int slot) const { return slot_point(slot, &Post::integrated); }
    TPoint h_integrated_base_pos(int slot) const { return slot_point(slot, &Post::h_integrated); }
    TPoint v_integrated_base_pos(int slot) const { return slot_point(slot, &Post::v_integrated); }
    bool behind_ball(int slot) const { return is_slot(slot) && slot_post(slot).behind_ball; }
    float min_x(int slot) const { return is_slot(slot) ? slot_post(slot).min_x : -50.0f; }
    float max_x(int slot) const { return is_slot(slot) ? slot_post(slot).max_x : 50.0f; }

    // Text routines on a cursor that they advance. get_float and get_integer
    // refuse a token that is not one finite number (a whole one for
    // get_integer) of magnitude up to kMaxFileNumber. A float token ends at a
    // blank, ')' or ',', an integer token at a blank, ')' or '}'.
    static void pass_spaces(char **cur);
    static void get_string(char **cur, char *dst, size_t size);
    static bool get_float(char **cur, bool skip, float *value);
    static bool get_integer(char **cur, bool skip, int *value);

protected:
    static bool is_slot(int slot) { return slot >= 0 && slot < kFormationSlots; }
    // The slot's post in the current formation; a post with zero points when
    // the formation left the slot empty.
    const Post &slot_post(int slot) const;

    Post posts[kPostCount];
    int formation_count = 0;
    TFormation formations[kMaxFormations];
    int current_formation = 0;

private:
    TPoint slot_point(int slot, TPoint Post::*point) const {
        return is_slot(slot) ? slot_post(slot).*point : TPoint(0, 0);
    }
    void read_post_line(char *line);
    // Reads the lines of one formation after its '@' line, up to its '}' or the end of the file.
    void read_formation(FILE *file, TFormation &formation);
    void read_formation_post(char *line, TFormation &formation, int slot);
};

// The core's per-number formation table (entries 1 to 11; entry 0 is unused).
struct Formation_Table {
    TPoint base_pos[12];
    TPoint attraction[12];     // per-axis pull of the ball position
    bool behind_ball[12] = {};
    float min_x[12] = {-52.5f, -52.5f, -52.5f, -52.5f, -52.5f, -52.5f,
                       -52.5f, -52.5f, -52.5f, -52.5f, -52.5f, -52.5f};
    float max_x[12] = {52.5f, 52.5f, 52.5f, 52.5f, 52.5f, 52.5f,
                       52.5f, 52.5f, 52.5f, 52.5f, 52.5f, 52.5f};

    // Seven lines of eleven numbers for players 1 to 11: base x, base y, min_x,
    // max_x, attraction x, attraction y, behind_ball (non-zero = true). A line
    // that is missing or malformed leaves its values as they were; with report
    // set, faults are told on standard error. False when the file cannot be opened.
    bool load(const char *path, bool report = true);

    // Base position pulled by the ball, kept behind it where asked; the ball
    // itself for a number outside 1 to 11.
    TPoint position_by_attraction(int unum, TPoint ball) const;
    // x within the player's range; unchanged for a number outside 1 to 11.
    float limit_min_max(float x, int unum) const;
};
