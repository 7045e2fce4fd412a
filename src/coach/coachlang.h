#pragma once
// The coach's advice: ball-clearing tokens around the places from which the
// opponents shot at our goal, and attacking tokens that send every outfield
// player's passes into the zone 30 to 45 m up the field.

#include "coach/stdtypes.h"
#include "coach/types.h"

// Room for an advice text inside the say command: the protocol buffer less
// "(say " and ")" and the terminator.
const int kAdviceTextRoom = kCoachTextSize - 1 - 6;

// Fills msg with the clearing tokens and, unless our team is Corvane's own,
// the attacking tokens. The text of msg stays within kAdviceTextRoom: what
// does not fit is left for a later message (clearing places) or out
// (attacking tokens, drawn anew for every message).
void get_advice_message(Advice_Message *msg);
void add_ball_clearing_tokens(Advice_Message *msg);
void add_center_tokens(Advice_Message *msg);
// Appends a "(clear)" token; true when it fits.
bool add_advice_clearing_token(Advice_Message *msg);
