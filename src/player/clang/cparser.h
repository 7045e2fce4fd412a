#pragma once
// The reader of the coach-language messages a player hears from its online
// coach: it fills one Coach_Message (advice, info, definitions, meta version).
// Unknown material is stepped over; a token or definition that would nest too
// deep or grow too large is dropped whole, so no text can exhaust the stack or
// the memory.

#include "player/clang/clangutils.h"

class TCoach_Parser {
public:
    explicit TCoach_Parser(Coach_Message *message) : message(message) {}

    // One message as heard (at most kClangTextSize - 1 characters are read).
    void parse_coach_message(const char *text);

    // Parsing steps over a cursor that they advance.
    void parse_ai_message(char **cur, Clang_List<AI_Token> &kind, int keyword_length);
    void parse_meta_message(char **cur);
    // Keeps the quoted text of a "(freeform" message; parse_coach_message
    // does not call it, so freeform texts are not kept yet.
    void parse_freeform_message(char **cur);
    void parse_define_message(char **cur);
    void parse_ai_token(char **cur, Clang_List<AI_Token> &kind);
    void store_token(Clang_List<AI_Token> &kind, std::unique_ptr<AI_Token> token);
    void AI_parse_condition(char **cur, Condition *condition);
    Uniform_List get_uniform_list(char **cur);
    Reg_Point get_point(char **cur);
    void get_region(char **cur, Region *region);
    void get_action(char **cur, Coach_Action *action);
    void AI_parse_directive(char **cur, Directive *directive);
    Coach_Play_Mode get_coach_play_mode(char **cur);

    // Index of the definition with that name and kind, or -1.
    int is_string_defined(const std::string &name, Define_Type kind) const;
    void info_clear_all() { message->info.destroy_all(); }
    void advice_clear_all() { message->advice.destroy_all(); }

    // Definition index was given a new body: every copy of it is renewed.
    void definition_replace(int index);
    void condition_replace(Condition *condition, int index);
    void action_replace(Coach_Action *action, int index);
    void directive_replace(Directive *directive, int index);
    void region_replace(Region *region, int index);

private:
    // Nesting and heap nodes of the token or definition being built or renewed.
    struct Budget {
        int depth = 0;
        int nodes = 0;
        bool exceeded = false;
    };

    bool fits(Tree_Size extra);
    template <class Node, class Read>
    void add_nested(char **cur, Clang_List<Node> &list, Read read);
    bool read_corner(char **cur, Reg_Point *corner, const Reg_Point *previous);
    template <class Record>
    void take_definition(char **cur, Record *record, Define_Type kind, Record Define_Token::*body,
                         const char *what);
    template <class Record>
    bool overwritten(Record *record, int index, Define_Type kind, Record Define_Token::*body);
    void parse_definition(char **cur, Define_Type kind);
    void replace_in_token(AI_Token &token, int index);
    void replace_in_definition(Define_Token &definition, int index);

    Coach_Message *message = nullptr;
    Budget budget;
    char buffer[kClangTextSize] = {};
};
