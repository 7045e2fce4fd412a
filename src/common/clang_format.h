#pragma once
// Fixed texts of the standard coach language that the coach writes and the
// player reads: the play-mode names and the size of a message buffer.

// A coach-language message, with its terminating NUL, fits this many characters.
inline constexpr int kClangBufferSize = 8192;

// Play-mode names in the order of the coach-language play-mode codes 0 to 16.
inline constexpr int kClangPlayModeCount = 17;
inline constexpr const char *kClangPlayModeNames[kClangPlayModeCount] = {
    "bko",    "time_over", "play_on", "ko_our", "ko_opp", "ki_our",
    "ki_opp", "fk_our",    "fk_opp",  "ck_our", "ck_opp", "gk_our",
    "gk_opp", "gc_our",    "gc_opp",  "ag_our", "ag_opp"};

// The name of play-mode code mode, or nullptr for a code outside 0 to 16.
inline const char *clang_play_mode_name(int mode)
{
    return mode >= 0 && mode < kClangPlayModeCount ? kClangPlayModeNames[mode] : nullptr;
}
