#include "common/config_file.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static Option make_option(const char *name, void *field, Param type) {
    Option option;
    snprintf(option.opt_name, sizeof option.opt_name, "%s", name);
    option.pointer = field;
    option.type = type;
    return option;
}
Option entry(const char *name, int *field) { return make_option(name, field, C_INT); }
Option entry(const char *name, float *field) { return make_option(name, field, C_FLOAT); }
Option entry(const char *name, char *field) { return make_option(name, field, C_STRING); }
Option flag(const char *name, bool *field) { return make_option(name, field, C_BOOLEAN); }
Option onoff(const char *name, bool *field) { return make_option(name, field, C_ONOFF); }

static const Option *find_option(const Option *options, const char *key) {
    for (; options->pointer; options++)
        if (strcmp(key, options->opt_name) == 0)
            return options;
    return nullptr;
}

// Whole word as a decimal int; out is written only on success.
static bool parse_int(const char *word, int *out) {
    char *end = nullptr;
    errno = 0;
    const long value = strtol(word, &end, 10);
    if (end == word || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return false;
    *out = static_cast<int>(value);
    return true;
}

// Whole word as a finite float; out is written only on success.
static bool parse_float(const char *word, float *out) {
    char *end = nullptr;
    const float value = strtof(word, &end);
    if (end == word || *end != '\0' || !std::isfinite(value))
        return false;
    *out = value;
    return true;
}

// Writes the option's field from the value word (null when the line has none);
// false when the value is missing or unusable. A text that does not fit its
// field is refused.
static bool store_value(const Option &option, const char *word) {
    switch (option.type) {
    case C_BOOLEAN:
        *static_cast<bool *>(option.pointer) = true;
        return true;
    case C_ONOFF:
        if (word)
            *static_cast<bool *>(option.pointer) = strcmp(word, "on") == 0;
        return word != nullptr;
    case C_INT:
        return word && parse_int(word, static_cast<int *>(option.pointer));
    case C_FLOAT:
        return word && parse_float(word, static_cast<float *>(option.pointer));
    case C_STRING:
        if (!word || strlen(word) >= static_cast<size_t>(kConfigTextSize))
            return false;
        snprintf(static_cast<char *>(option.pointer), kConfigTextSize, "%s", word);
        return true;
    case C_NONE:
        break;
    }
    return false;
}

// One key-value line (':' counts as a blank); false when it is illegal.
static bool apply_line(const char *line, const Option *options) {
    char copy[kConfigLineLength + 1];
    snprintf(copy, sizeof copy, "%s", line);
    for (char *c = copy; *c; c++)
        if (*c == ':' || *c == '\t' || *c == '\r')
            *c = ' ';
    char *rest = nullptr;
    const char *key = strtok_r(copy, " ", &rest);
    const Option *option = key ? find_option(options, key) : nullptr;
    return option && store_value(*option, strtok_r(nullptr, " ", &rest));
}

// Reads the next line without its line break into line (kLineLength + 1
// characters); false at the end of the file. Of a longer line only the
// beginning is kept and overlong is set.
static bool next_line(FILE *file, char *line, bool *overlong) {
    int length = 0;
    *overlong = false;
    int c = getc(file);
    if (c == EOF)
        return false;
    for (; c != EOF && c != '\n'; c = getc(file)) {
        if (length < kConfigLineLength)
            line[length++] = static_cast<char>(c);
        else
            *overlong = true;
    }
    line[length] = '\0';
    return true;
}

// Empty lines and comments are skipped; a bad or overlong line is reported.
static void read_lines(FILE *file, const Option *options) {
    char line[kConfigLineLength + 1];
    bool overlong = false;
    while (next_line(file, line, &overlong)) {
        if (line[0] == '\0' || line[0] == '#')
            continue;
        if (overlong || !apply_line(line, options))
            printf("   illegal line : %s\n", line);
    }
}

bool read_config_file(const char *path, const Option *options) {
    FILE *file = fopen(path, "rt");
    if (!file)
        return false;
    printf("file %s opened :\n", path);
    read_lines(file, options);
    fclose(file);
    return true;
}


bool read_switches(int argc, char **argv, const Switch *switches, int count) {
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-file") == 0) {
            i++;   // its file name, if any
            continue;
        }
        int k = 0;
        while (k < count && strcmp(argv[i], switches[k].name) != 0)
            k++;
        if (k == count) {
            fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return false;
        }
        if (switches[k].field)
            *switches[k].field = true;
    }
    return true;
}
