#include "player/runtime/info.h"

Line_Side operator-(Line_Side s) {
    switch (s) {
    case LINE_LEFT: return LINE_RIGHT;
    case LINE_RIGHT: return LINE_LEFT;
    case LINE_TOP: return LINE_BOTTOM;
    case LINE_BOTTOM: return LINE_TOP;
    default: return s;
    }
}

Flag_Side operator-(Flag_Side s) {
    if (s == FLAG_SIDE_LEFT) return FLAG_SIDE_RIGHT;
    if (s == FLAG_SIDE_RIGHT) return FLAG_SIDE_LEFT;
    return s;
}

Flag_Vert_Pos operator-(Flag_Vert_Pos v) {
    if (v == FLAG_VERT_TOP) return FLAG_VERT_BOTTOM;
    if (v == FLAG_VERT_BOTTOM) return FLAG_VERT_TOP;
    return v;
}

Flag_Info operator-(const Flag_Info &f) {
    Flag_Info mirrored = f;
    mirrored.vert_pos = -f.vert_pos;
    mirrored.side = -f.side;
    return mirrored;
}
