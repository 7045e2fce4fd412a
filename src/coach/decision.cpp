#include "coach/decision.h"

#include "coach/coachlang.h"
#include "coach/core.h"
#include "coach/stdmaker.h"

static const char *const kIdentification = "(freeform \"Ostra-Corvane Standard Coach Version 1.00\")";

void TDecision::decision() {
    if (core->cycle == 1 && !id_said)
        say_identification();
    core->rlog("CLang:advice_quite_cycles", advice_quite_cycles);
    const bool play_on_now = inf->play_mode == play_on;
    if (advice_quite_cycles == kAdviceSpacing || (!play_on_now && !advice_sent_in_non_play_on))
        say_advice();
    if (play_on_now)
        advice_sent_in_non_play_on = false;
    ++advice_quite_cycles;
}

void TDecision::say_identification() {
    core->say(kIdentification);
    id_said = true;
}

// The generation keeps the advice text within the room of the say command,
// so the whole message is said or, when it holds no token, nothing.
void TDecision::say_advice() {
    Advice_Message message;
    get_advice_message(&message);
    if (message.count() < 1)
        return;
    if (inf->play_mode != play_on)
        advice_sent_in_non_play_on = true;
    core->rlog("CLang:going to say advice message", message.count());
    advice_quite_cycles = 0;
    const std::string text = get_advice_string(&message);
    core->rlog("CLang:message size is", static_cast<int>(text.size()));
    core->say(text.c_str());
}
