#include "player/agent/formation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const size_t kFileLineSize = 500;     // lines of the posts and formation files
const size_t kTableLineSize = 100;    // lines of the per-number table
const size_t kNumberSize = 32;
const int kTableLines = 7;
const int kTablePlayers = 11;

// The word of each post, indexed by Player_Post.
const char *const kPostWords[kPostCount] = {
    "center_defense", "right_defense", "left_defense", "right_wing_defense", "left_wing_defense",
    "sweeper", "center_midfield", "right_midfield", "left_midfield", "defensive_midfield",
    "attacking_midfield", "right_wing", "left_wing", "striker", "center_attack",
    "right_attack", "left_attack", "right_wing_attack", "left_wing_attack"};

// The order of the post records; the posts file's words are tried in this order.
const Player_Post kRecordOrder[kPostCount] = {
    striker, center_attack, right_attack, left_attack, right_wing_attack, left_wing_attack,
    center_midfield, right_midfield, left_midfield, defensive_midfield, attacking_midfield,
    right_wing, left_wing, center_defense, right_defense, left_defense, right_wing_defense,
    left_wing_defense, sweeper};

// The nine points of a posts line, in the order of the file.
TPoint Post::*const kPostPoints[] = {
    &Post::base, &Post::expanded, &Post::h_expanded, &Post::v_expanded, &Post::integrated,
    &Post::h_integrated, &Post::v_integrated, &Post::back_attraction, &Post::front_attraction};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_line_end(char c) { return c == '\0' || c == '\n' || c == '\r'; }

// Prints the diagnostic on standard output and ends the program.
[[noreturn]] void fail(const char *format, const char *text = "") {
    printf(format, text);
    fflush(stdout);
    abort();
}

// Reads one whole line without its line end, keeping at most size - 1
// characters; *truncated tells whether the line was longer. False at the end of the file.
bool read_line(FILE *file, char *buf, size_t size, bool *truncated) {
    *truncated = false;
    if (!fgets(buf, static_cast<int>(size), file))
        return false;
    size_t n = strlen(buf);
    if (n > 0 && buf[n - 1] != '\n') {
        int c = fgetc(file);
        *truncated = c != EOF && c != '\n';
        while (c != EOF && c != '\n')
            c = fgetc(file);
    }
    while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r'))
        buf[--n] = '\0';
    return true;
}

// A number of a posts line; a missing or bad one ends the program.
float read_number(char **cur) {
    float value = 0;
    if (!TForm_Config::get_float(cur, true, &value))
        fail("Illegal getfloat...Aborting....\n");
    return value;
}

// True when the text at cur begins with word followed by a blank (or by
// anything, when blank_needed is false).
bool starts_with_word(const char *cur, const char *word, bool blank_needed) {
    size_t n = strlen(word);
    return strncmp(cur, word, n) == 0 && (!blank_needed || is_blank(cur[n]));
}

// A line that holds nothing for the reader: a comment or an empty line.
bool is_skipped_line(const char *line) { return line[0] == '#' || line[0] == '\0'; }

}  // namespace

int TFormation::player_post(int i) const { return i >= 0 && i < kFormationSlots ? posts[i] : 0; }

int TFormation::player_mode(int i) const { return i >= 0 && i < kFormationSlots ? modes[i] : 0; }

TForm_Config::TForm_Config(const char *posts_path, const char *formation_path) {
    for (int i = 0; i < kPostCount; ++i) {
        posts[i].id = kRecordOrder[i];
        snprintf(posts[i].name, sizeof posts[i].name, "%s", kPostWords[kRecordOrder[i]]);
    }
    load_posts_config_file(posts_path);
    load_formation_file(formation_path);
}

void TForm_Config::pass_spaces(char **cur) {
    while (is_blank(**cur))
        ++*cur;
}

void TForm_Config::get_string(char **cur, char *dst, size_t size) {
    pass_spaces(cur);
    size_t n = 0;
    for (; !is_line_end(**cur) && !is_blank(**cur) && **cur != ')'; ++*cur)
        if (n + 1 < size)
            dst[n++] = **cur;
    if (size > 0)
        dst[n] = '\0';
}

// Copies the token at the cursor, up to one of stops, a blank or a line end,
// into token; with skip, moves past that delimiter and the blanks after. False
// for an empty token or one longer than kNumberSize - 1.
static bool take_number_token(char **cur, bool skip, const char *stops, char (&token)[kNumberSize]) {
    size_t n = 0;
    for (; !is_line_end(**cur) && !is_blank(**cur) && strchr(stops, **cur) == nullptr; ++*cur) {
        if (n + 1 >= sizeof token)
            return false;
        token[n++] = **cur;
    }
    token[n] = '\0';
    if (skip) {
        if (**cur != '\0')
            ++*cur;
        TForm_Config::pass_spaces(cur);
    }
    return n > 0;
}

bool TForm_Config::get_float(char **cur, bool skip, float *value) {
    if (is_line_end(**cur))
        return false;
    char token[kNumberSize];
    if (!take_number_token(cur, skip, "),", token))
        return false;
    char *end = nullptr;
    const double number = strtod(token, &end);
    if (*end != '\0' || !std::isfinite(number) || std::fabs(number) > kMaxFileNumber)
        return false;
    *value = static_cast<float>(number);
    return true;
}

bool TForm_Config::get_integer(char **cur, bool skip, int *value) {
    char token[kNumberSize];
    if (!take_number_token(cur, skip, ")}", token))
        return false;
    char *end = nullptr;
    const long number = strtol(token, &end, 10);
    const long max = static_cast<long>(kMaxFileNumber);
    if (*end != '\0' || number < -max || number > max)
        return false;
    *value = static_cast<int>(number);
    return true;
}

// Announces the file and opens it; a missing file is reported and gives null.
static FILE *open_data_file(const char *path, const char *what) {
    printf("loading %s file...\n", what);
    FILE *file = fopen(path, "rt");
    if (!file) {
        printf("\ncan't open configuration file : %s\n", path);
        fflush(stdout);
    }
    return file;
}

void TForm_Config::load_posts_config_file(const char *path) {
    FILE *file = open_data_file(path, "post");
    if (!file)
        return;
    char line[kFileLineSize];
    bool truncated = false;
    while (read_line(file, line, sizeof line, &truncated)) {
        if (truncated)
            fail("Illegal line:Aborting:|%s|\n", line);
        if (!is_skipped_line(line))
            read_post_line(line);
    }
    fclose(file);
}

// "word x0 y0 ... x8 y8 behind_ball min_x max_x", then anything. The striker's
// word is matched without its blank; the rest of such a word is passed over.
void TForm_Config::read_post_line(char *line) {
    Post *target = nullptr;
    for (Post &p : posts)
        if (starts_with_word(line, p.name, p.id != striker)) {
            target = &p;
            break;
        }
    if (!target)
        fail("Illegal line:Aborting:|%s|\n", line);
    char *cur = line + strlen(target->name);
    while (!is_line_end(*cur) && !is_blank(*cur))
        ++cur;
    pass_spaces(&cur);
    Post read = *target;
    for (TPoint Post::*point : kPostPoints) {
        (read.*point).X = read_number(&cur);
        (read.*point).Y = read_number(&cur);
    }
    read.behind_ball = static_cast<int>(read_number(&cur)) != 0;
    read.min_x = read_number(&cur);
    read.max_x = read_number(&cur);
    *target = read;                     // whatever follows the numbers is not read
}

void TForm_Config::load_formation_file(const char *path) {
    FILE *file = open_data_file(path, "formation");
    if (!file)
        return;
    char line[kFileLineSize];
    bool truncated = false;
    while (read_line(file, line, sizeof line, &truncated)) {
        if (line[0] != '@')
            continue;
        if (formation_count == kMaxFormations) {
            printf("Only %d formations are kept: the rest of %s is ignored.\n", kMaxFormations, path);
            break;
        }
        TFormation formation;
        char *cur = line + 1;
        get_string(&cur, formation.name, sizeof formation.name);
        if (formation.name[0] == '\0')
            fail("No name for formation.\n");
        read_formation(file, formation);
        formations[formation_count++] = formation;
    }
    fclose(file);
}

void TForm_Config::read_formation(FILE *file, TFormation &formation) {
    char line[kFileLineSize];
    bool truncated = false;
    bool opened = false;
    int count = 0;
    while (read_line(file, line, sizeof line, &truncated)) {
        if (is_skipped_line(line))
            continue;
        char *cur = line;
        pass_spaces(&cur);
        if (*cur == '\0')
            continue;
        if (*cur == '{') {
            opened = true;
        } else if (*cur == '}') {
            if (!opened)
                fail("Block closed without opening {\n");
            if (count != kFormationSlots)
                fail("Must have 10 posts in each formation.\n");
            return;
        } else {
            if (count == kFormationSlots)
                fail("Must have 10 posts in each formation.\n");
            if (truncated)
                fail("Invalid formation line|%s|\n", line);
            read_formation_post(line, formation, count++);
        }
    }
}

// "post_word mode_word", the mode "free" or "restricted".
void TForm_Config::read_formation_post(char *line, TFormation &formation, int slot) {
    char *cur = line;
    pass_spaces(&cur);
    Post *found = nullptr;
    for (Post &p : posts)
        if (starts_with_word(cur, p.name, true)) {
            found = &p;
            break;
        }
    if (!found)
        fail("Invalid formation line|%s|\n", line);
    cur += strlen(found->name);
    char mode[kNameSize];
    get_string(&cur, mode, sizeof mode);
    if (strcmp(mode, "free") == 0)
        formation.modes[slot] = 0;
    else if (strcmp(mode, "restricted") == 0)
        formation.modes[slot] = 1;
    else
        fail("Invalid formation line |%s|\n", line);
    formation.posts[slot] = found->id;
    formation.post_pointers[slot] = found;
}

bool TForm_Config::set_current_formation(const char *name) {
    for (int i = 0; i < formation_count; ++i)
        if (strcmp(formations[i].name, name) == 0) {
            current_formation = i;
            return true;
        }
    return false;
}

const Post *TForm_Config::post_pointer(Player_Post p) const {
    for (const Post &record : posts)
        if (record.id == p)
            return &record;
    return &posts[0];
}

const Post &TForm_Config::slot_post(int slot) const {
    static const Post kEmptyPost;
    const Post *p = formations[current_formation].post_pointers[is_slot(slot) ? slot : 0];
    return p ? *p : kEmptyPost;
}

Post TForm_Config::post(int slot) const { return slot_post(slot); }

// Eleven numbers and nothing else; false for anything less or more.
static bool read_table_line(char *line, float *values) {
    char *cur = line;
    TForm_Config::pass_spaces(&cur);
    for (int i = 0; i < kTablePlayers; ++i)
        if (!TForm_Config::get_float(&cur, true, &values[i]))
            return false;
    return is_line_end(*cur);
}

bool Formation_Table::load(const char *path, bool report) {
    FILE *file = fopen(path, "rt");
    if (!file) {
        if (report)
            fprintf(stderr, "cannot open %s: the formation table keeps its defaults\n", path);
        return false;
    }
    char line[kTableLineSize];
    bool truncated = false;
    for (int row = 0; row < kTableLines; ++row) {
        if (!read_line(file, line, sizeof line, &truncated)) {
            if (report)
                fprintf(stderr, "%s: %d of %d lines read\n", path, row, kTableLines);
            break;
        }
        float v[kTablePlayers] = {};
        if (truncated || !read_table_line(line, v)) {
            if (report)
                fprintf(stderr, "%s: line %d is not eleven numbers and is ignored\n", path, row + 1);
            continue;
        }
        for (int i = 0; i < kTablePlayers; ++i) {
            const int u = i + 1;
            switch (row) {
            case 0: base_pos[u].X = v[i]; break;
            case 1: base_pos[u].Y = v[i]; break;
            case 2: min_x[u] = v[i]; break;
            case 3: max_x[u] = v[i]; break;
            case 4: attraction[u].X = v[i]; break;
            case 5: attraction[u].Y = v[i]; break;
            default: behind_ball[u] = static_cast<int>(v[i]) != 0; break;
            }
        }
    }
    fclose(file);
    return true;
}

static bool is_table_player(int unum) { return unum >= 1 && unum <= 11; }

TPoint Formation_Table::position_by_attraction(int unum, TPoint ball) const {
    if (!is_table_player(unum))
        return ball;
    TPoint pos = ball * attraction[unum] + base_pos[unum];
    if (behind_ball[unum] && pos.X > ball.X)
        pos.X = ball.X;
    return pos;
}

float Formation_Table::limit_min_max(float x, int unum) const {
    if (!is_table_player(unum))
        return x;
    return std::min(max_x[unum], std::max(min_x[unum], x));
}
