#pragma once
// The opponents' goal mouth as seen from the ball, the free parts of it that
// the shooting skills look for, and the older shooting-target search. Directions
// are absolute degrees from the ball in [-180, 180]; "top" is the post at
// negative y, "down" the post at positive y.

const int kMaxDangerous = 11;
const float kNoNeighbour = -200;   // near_top / near_down when no outside opponent is known
const float kFarNeighbour = 400;   // start distance of the nearest-outside search

// An opponent whose reach covers part of the goal mouth.
struct Danger {
    float ang_t = 0, ang_d = 0;     // upper and lower edge of his reach
    float centre = 0;               // direction to him
    float dist = 0;                 // his distance from the ball
};

// The goal mouth narrowed at each post, with the opponents that stand in it
// and, of those outside, the edges nearest to each post.
struct Goal_Cone {
    float top_ang = 0, down_ang = 0;
    float centre_ang = 0;           // direction to the goal centre
    int count = 0;
    Danger danger[kMaxDangerous];
    float near_top = kNoNeighbour, near_down = kNoNeighbour;
    float near_top_dist = kFarNeighbour, near_down_dist = kFarNeighbour;
};

// How a search judges the opponents and the cones beside them.
struct Target_Rule {
    float min_chance = 0.5f;        // position confidence an opponent needs to count
    bool with_reach = true;         // widen each opponent by his reach (keeper: catch area)
    bool absolute_cones = false;    // cones as |angle| rather than signed
    bool need_both_neighbours = true;   // aim off-centre only if opponents flank both posts
};

// Posts moved margin metres inward; opponents 1..11 of known position sorted
// into dangerous and outside ones. Opponents of no finite position are skipped.
Goal_Cone scan_goal_cone(float margin, const Target_Rule &rule);
void sort_dangerous(Goal_Cone *c);   // ascending centre direction

// The free angles between each post and the outermost dangerous edges (needs
// one dangerous opponent at least); an outside opponent close to a post moves
// that post inward and narrows its cone.
void free_edge_cones(Goal_Cone *c, bool absolute, float *top_cone, float *down_cone);
void narrow_by_outside(Goal_Cone *c, float *top_cone, float *down_cone);
// The widest positive gap between neighbouring dangerous opponents (sorted);
// 0 and *k = -1 when there is none, else the gap lies between *k and *k + 1.
float widest_gap(const Goal_Cone &c, int *k);

// The shot direction by the rule: a post, the middle of a gap, or the goal centre.
float find_shot_target(float margin, const Target_Rule &rule);

// The older search: opponents judged by their centre direction alone.
float get_best_target(float margin);
