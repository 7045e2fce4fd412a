#pragma once
// What every fuzz target shares: the input cut into datagrams as the link
// hands them over, and a scratch directory for the files a reader opens.

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

// Calls take(text) for each message of the input. The server ends every
// datagram with a NUL byte, so a NUL ends a message here too (as does the end
// of the input). Each is handed over as the link receives it: at most
// max_size characters and a terminator, in a buffer of exactly that size, so
// that a read past the terminator is caught.
template <class Take>
void for_each_datagram(const uint8_t *data, size_t size, size_t max_size, Take take) {
    const uint8_t *end = data + size;
    for (const uint8_t *start = data; start < end;) {
        const uint8_t *stop = start;
        while (stop < end && *stop != 0)
            ++stop;
        const size_t length = static_cast<size_t>(stop - start) < max_size ? stop - start : max_size;
        std::vector<char> text(start, start + length);
        text.push_back('\0');
        take(text.data());
        start = stop + 1;
    }
}

// Ends the run as a finding when a reader left its records unsound.
inline void require(bool sound) {
    if (!sound)
        __builtin_trap();
}

// A large object (a core, a world) built in storage of its own, one of each
// type at a time: built anew on the heap for every input, such objects would
// cost the fuzzer most of its time in fresh pages. Ended by calling its destructor.
template <class Object, class... Arguments>
Object *make_in_place(Arguments... arguments) {
    alignas(Object) static unsigned char storage[sizeof(Object)];
    return new (storage) Object(arguments...);
}

// The working directory of one input: a temporary directory of this process
// (made at the first use, removed at exit), in which the players' default log
// files lead to /dev/null, as they would grow with every input. The previous
// working directory comes back at the end of the scope, as the fuzzer's own
// paths may be relative.
class In_Scratch_Dir {
public:
    In_Scratch_Dir();
    ~In_Scratch_Dir();
    In_Scratch_Dir(const In_Scratch_Dir &) = delete;
    In_Scratch_Dir &operator=(const In_Scratch_Dir &) = delete;

    // Writes the input to the file name in the scratch directory; its path.
    std::string write_file(const char *name, const uint8_t *data, size_t size) const;
};
