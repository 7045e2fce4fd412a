#include "coach/statistics.h"

#include "coach/core.h"
#include "coach/sbe.h"

namespace {

Statistics_Line text(const char *label) { return {label, Statistics_Line::label_only, 0, 0}; }

Statistics_Line counter(const char *label, int count) { return {label, Statistics_Line::counter, count, 0}; }

// part / whole * factor in floating point; 0 when there is no whole.
Statistics_Line ratio(const char *label, int part, int whole, float factor) {
    const float value = whole != 0 ? static_cast<float>(part) / static_cast<float>(whole) * factor : 0.0f;
    return {label, Statistics_Line::ratio, 0, value};
}

// One team's counters and ratios; the labels of the two teams differ in padding.
void add_team(std::vector<Statistics_Line> *lines, const Team_Info &team, bool ours) {
    lines->insert(lines->end(), {
        text(ours ? "Teammates:" : "Opponents:"),
        counter("  Pass count:", team.pass_count()),
        counter("  Success_pass_count:", team.success_pass_count()),
        counter("  Caught shoot count:", team.caught_shoot_count()),
        counter("  goaled shoot count:", team.goaled_shoot_count()),
        counter("  dribble count:", team.dribble_count()),
        counter("  kickabled:", team.kickabled()),
        counter("  kickabled_w_kick:", team.kickabled_w_kick()),
        counter("  cycles have ball:", team.cycles_have_ball()),
        ratio(ours ? "Percent of success pass       :" : "Percent of success pass      :",
              team.success_pass_count(), team.pass_count(), 100),
        ratio(ours ? "Percent of dribble            :" : "Percent of dribble           :",
              team.dribble_count(), team.kickabled_w_kick(), 100),
        ratio(ours ? "Percent of kickable detection :" : "Percent of kickable detection:",
              team.kickabled_w_kick(), team.kickabled(), 100),
        ratio(ours ? "Average cycles hold ball      :" : "Average cycles hold ball     :",
              team.cycles_have_ball(), team.kickabled_w_kick(), 1),
    });
}

}  // namespace

std::vector<Statistics_Line> end_of_run_statistics(const TSBE &model) {
    std::vector<Statistics_Line> lines{text("Logging SBE information...")};
    add_team(&lines, model.our_team, true);
    lines.push_back(text("---------------------------------"));
    add_team(&lines, model.their_team, false);
    return lines;
}

void log_statistics(const TSBE &model) {
    for (const Statistics_Line &line : end_of_run_statistics(model)) {
        if (line.kind == Statistics_Line::counter)
            core->rlog(line.label, line.count);
        else if (line.kind == Statistics_Line::ratio)
            core->rlog(line.label, line.value);
        else
            core->rlog(line.label);
    }
}
