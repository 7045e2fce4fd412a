#pragma once
// Turns the coach's coach-language records into the text the coach says.
// Every writer returns its own text; a null record gives empty text.
// The message writers keep a message within the protocol's buffer of
// kClangBufferSize characters (terminating NUL included) by leaving out the
// tokens, from the first that would not fit to the last.

#include <string>

#include "coach/stdtypes.h"
#include "common/clang_format.h"

Directive dir_get_dir(Directive_Action_Type type, Team_Value team, const Uniform_List &players,
                      const Coach_Action &action);

std::string get_point_string(const Reg_Point *p);
std::string get_arc_string(const Reg_Arc *a);
std::string get_arc_string(const TArc *a);
std::string get_quad_string(const Reg_Quad *q);
std::string get_quad_string(const TQuadrangle *q);
std::string get_region_string(const Region *r);
std::string get_uniform_list_string(const Uniform_List *l);

std::string get_cond_ppos_string(const Cond_Player_Pos *c);
std::string get_cond_bpos_string(const Cond_Ball_Pos *c);
std::string get_cond_bowner_string(const Cond_Ball_Owner *c);
std::string get_cond_pmode_string(const Cond_Play_Mode *c);
std::string get_cond_true_string();
std::string get_cond_false_string();
std::string get_condition_string(const Condition *c);

std::string get_action_string(const Coach_Action *a);
std::string get_directive_string(const Directive *d);
std::string get_AI_token_string(const AI_Token *t);
std::string get_info_string(const Info_Message *m);
std::string get_advice_string(const Advice_Message *m);
