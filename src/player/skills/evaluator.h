#pragma once
// Learns during the match how far each with-ball behaviour object can be
// trusted. This base holds the learning rate `betha` (from the file named by the
// configuration key `eval_conf`), the registry of assessors and the four steps
// that move an object's decency; the outcome rules live in the derived class.

struct Ball_Behavior_Info;
class TWith_Ball;

const int kMaxAssessors = 4;

class TWith_Ball_Evaluator {
public:
    // Reads the file named by the core's `eval_conf`; without it nothing is learnt.
    TWith_Ball_Evaluator();
    virtual ~TWith_Ball_Evaluator() = default;

    // 0 when the action was taken for judging (the base takes none).
    virtual int evaluate(int id, Ball_Behavior_Info *action);
    // Judges the pending action once per cycle (the base does nothing).
    virtual void update();

    // Reads "betha %f" lines ('#' comments and empty lines skipped, the last
    // valid line wins). False, with one line on stderr, when the file cannot be read.
    bool load_config(const char *file);
    // The object's ID 0..3, or -1 when the registry is full or the object is null.
    int add_assessor(TWith_Ball *object);

    // Decency d moves by (betha / rate) * x: up towards 1 or down towards 0;
    // full steps use the object's normal change rate, semi steps its semi rate.
    void full_increase_decency(TWith_Ball *object, float x);
    void full_decrease_decency(TWith_Ball *object, float x);
    void semi_increase_decency(TWith_Ball *object, float x);
    void semi_decrease_decency(TWith_Ball *object, float x);

    float betha = 0;              // learning rate; 0 leaves every decency unchanged

protected:
    // What a step would make of decency d, kept in [0, 1]; d itself when undefined.
    float increased_decency(float d, float rate, float x) const;
    float decreased_decency(float d, float rate, float x) const;
    // The greatest decency * final chance over the registered assessors but `except`.
    float best_weighted_chance(int except) const;
    // value clamped to [0, 1]; fallback when it is NaN.
    static float kept_in_range(float value, float fallback);

    int last_index = -1;
    TWith_Ball *assessors[kMaxAssessors] = {};

private:
    float step_factor(float rate) const { return rate > 0 ? betha / rate : 0; }
};
