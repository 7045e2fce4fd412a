#pragma once
// What the coach says after each look at the field: its identification line
// once at the start, then advice at most every kAdviceSpacing calls during
// play and once at the start of each interruption of play.

class TDecision {
public:
    static const int kAdviceSpacing = 300;   // calls between periodic advice messages

    void decision();

    bool advice_sent_in_non_play_on = false;   // advice said in the current interruption
    int advice_quite_cycles = 0;               // calls since the last advice was said
    bool id_said = false;                      // the identification line was said

private:
    void say_identification();
    void say_advice();
};
