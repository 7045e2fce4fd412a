#include "player/skills/evaluator.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const int kEvalLineLength = 100;   // longest line of the evaluator file

// Reads one line of at most kEvalLineLength characters into line; the rest of
// a longer line is dropped, so that its tail is never taken for a line of its own.
bool read_line(FILE *file, char (&line)[kEvalLineLength + 2]) {
    if (!fgets(line, sizeof line, file))
        return false;
    if (!strchr(line, '\n')) {
        int c = 0;
        while ((c = fgetc(file)) != EOF && c != '\n') {
        }
    }
    line[strcspn(line, "\r\n")] = '\0';
    return true;
}

}  // namespace

TWith_Ball_Evaluator::TWith_Ball_Evaluator() {
    printf("Loading base evaluator configuration file...\n");
    fflush(stdout);
    load_config(core->eval_conf);
}

int TWith_Ball_Evaluator::evaluate(int, Ball_Behavior_Info *) { return 0; }

void TWith_Ball_Evaluator::update() {}

bool TWith_Ball_Evaluator::load_config(const char *file) {
    FILE *in = fopen(file, "r");
    if (!in) {
        fprintf(stderr, "Eval: cannot read evaluator file \"%s\"; decencies stay as they are\n", file);
        return false;
    }
    char line[kEvalLineLength + 2] = {};
    while (read_line(in, line)) {
        float value = 0;
        if (line[0] == '#' || line[0] == '\0' || sscanf(line, "betha %f", &value) != 1)
            continue;
        if (std::isfinite(value) && value >= 0)
            betha = value;
        else
            fprintf(stderr, "Eval: betha \"%s\" in \"%s\" is not a rate; ignored\n", line, file);
    }
    fclose(in);
    return true;
}

int TWith_Ball_Evaluator::add_assessor(TWith_Ball *object) {
    const int index = last_index + 1;
    if (index >= kMaxAssessors || !object) {
        fprintf(stderr, "Eval:Invalid evaluator ID %d\n", index);
        return -1;
    }
    assessors[index] = object;
    last_index = index;
    return index;
}

float TWith_Ball_Evaluator::kept_in_range(float value, float fallback) {
    if (std::isnan(value))
        return fallback;
    return value < 0 ? 0 : value > 1 ? 1 : value;
}

float TWith_Ball_Evaluator::increased_decency(float d, float rate, float x) const {
    return kept_in_range(d + (1 - d) * step_factor(rate) * x, d);
}

float TWith_Ball_Evaluator::decreased_decency(float d, float rate, float x) const {
    return kept_in_range(d - step_factor(rate) * d * x, d);
}

void TWith_Ball_Evaluator::full_increase_decency(TWith_Ball *object, float x) {
    core->rlog(30, "EvalFullInc:previous decency is:", object->decency());
    object->set_decency(increased_decency(object->decency(), object->normal_change_rate(), x));
    core->rlog(30, "EvalFullInc:current decency is", object->decency());
}

void TWith_Ball_Evaluator::full_decrease_decency(TWith_Ball *object, float x) {
    core->rlog(30, "EvalFullDec:previous decency is:", object->decency());
    object->set_decency(decreased_decency(object->decency(), object->normal_change_rate(), x));
    core->rlog(30, "EvalFullDec:current decency is:", object->decency());
}

void TWith_Ball_Evaluator::semi_increase_decency(TWith_Ball *object, float x) {
    core->rlog(30, "EvalFullInc:previous decency is:", object->decency());
    object->set_decency(increased_decency(object->decency(), object->semi_change_rate(), x));
    core->rlog(30, "EvalSemiInc:current decency is:", object->decency());
}

void TWith_Ball_Evaluator::semi_decrease_decency(TWith_Ball *object, float x) {
    core->rlog(30, "EvalSemiDec:previous decency is:", object->decency());
    object->set_decency(decreased_decency(object->decency(), object->semi_change_rate(), x));
    core->rlog(30, "EvalSemiDec:current decency is:", object->decency());
}

// The final records are published under the action mutex; they are read under it too.
float TWith_Ball_Evaluator::best_weighted_chance(int except) const {
    float best = 0;
    pthread_mutex_lock(&core->action_mutex);
    for (int i = 0; i <= last_index; i++) {
        const float value = assessors[i]->decency() * assessors[i]->final.chance;
        if (i != except && value > best)
            best = value;
    }
    pthread_mutex_unlock(&core->action_mutex);
    return best;
}
