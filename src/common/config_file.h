#pragma once
// The key-value configuration files of all programs: the option table that
// maps each key to the field it writes, and the reader of one file.

const int kConfigTextSize = 30;     // every text field, terminator included
const int kConfigLineLength = 99;   // longest line a configuration file may hold

// Value type of a configuration key.
enum Param {
    C_NONE = 0,
    C_INT = 1,      // second word, an integer
    C_STRING = 2,   // second word, at most 29 characters
    C_FLOAT = 3,    // second word, a finite number
    C_BOOLEAN = 4,  // the key alone sets the field true
    C_ONOFF = 5     // second word: "on" sets true, any other word false
};

// One key of the option table and the field it writes.
struct Option {
    char opt_name[30] = {};
    void *pointer = nullptr;
    Param type = C_NONE;
};

// Table entries; the type follows from the field.
Option entry(const char *name, int *field);
Option entry(const char *name, float *field);
Option entry(const char *name, char *field);   // a text field of kConfigTextSize
Option flag(const char *name, bool *field);
Option onoff(const char *name, bool *field);

// Reads one file into the fields of options (ended by an entry without a
// field): "key value" lines, ':' counting as a blank, '#' comments; a bad or
// overlong line is reported as "   illegal line : ..." and changes nothing.
// Prints "file %s opened :"; false when the file cannot be opened.
bool read_config_file(const char *path, const Option *options);

// A command-line switch and the field it sets; a switch without a field is
// taken and ignored (it is read elsewhere).
struct Switch {
    const char *name = nullptr;
    bool *field = nullptr;
};

// Reads the switches of a command line; "-file" takes the word after it.
// False, with a line on standard error, at an argument that is none of them.
bool read_switches(int argc, char **argv, const Switch *switches, int count);
