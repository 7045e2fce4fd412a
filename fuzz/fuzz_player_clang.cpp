// The player's reader of its coach's coach-language messages, and what the
// player does with what it stored. The input is a run of messages (each ended
// by a NUL) as the server-message parser hands them on. Then, against a fixed
// world, from the left side and from the right: every stored condition is
// evaluated, every stored region is tested and rated as a place to pass or run
// to, and the advice is followed once with the ball at my feet and once
// without it.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "player_scene.h"
#include "player/agent/core.h"
#include "player/clang/coachable.h"
#include "player/clang/cparser.h"
#include "player/clang/region.h"
#include "player/runtime/client.h"

namespace {

const int kMe = 7;

void rate_region(const Region &region) {
    const TWorld_Model &world = *core->world;
    is_point_in_region(world.ball.pos, &region);
    for (int n = 1; n <= 11; ++n) {
        is_point_in_region(world.teammates[n].pos, &region);
        is_point_in_region(world.opponents[n].pos, &region);
    }
    TPoint target = kInvalidPoint;
    get_best_point_of_region_for_pass(region, &target);
    get_best_point_of_region_to_go(region, &target);
}

void rate_action(const Coach_Action &action) {
    for (const Region *region : {&action.pos.region, &action.home.region, &action.bto_regional.region,
                                 &action.markl_regional.region, &action.oline.region})
        rate_region(*region);
}

void evaluate_tokens(const Clang_List<AI_Token> &tokens) {
    for (int i = 0; i < tokens.count(); ++i) {
        const AI_Token &token = *tokens.get(i);
        is_condition(&token.condition);
        for (int d = 0; d < token.directive_list.count(); ++d)
            rate_action(token.directive_list.get(d)->action);
    }
}

void evaluate_definitions(const Define_Message &define) {
    for (int i = 0; i < define.count(); ++i) {
        const Define_Token &definition = *define.get(i);
        is_condition(&definition.condition);
        rate_region(definition.region);
        rate_action(definition.action);
        rate_action(definition.directive.action);
    }
}

// What the parser stored stays within its bounds.
void check_stored(const Coach_Message &said) {
    require(said.advice.count() <= kClangMaxTokens && said.info.count() <= kClangMaxTokens &&
            said.define.count() <= kClangMaxDefinitions);
    for (const Clang_List<AI_Token> *tokens : {&said.advice, &said.info})
        for (int i = 0; i < tokens->count(); ++i) {
            const AI_Token &token = *tokens->get(i);
            Tree_Size size = size_of(token.condition);
            for (int d = 0; d < token.directive_list.count(); ++d) {
                const Tree_Size directive = size_of(*token.directive_list.get(d));
                size = {size.nodes + directive.nodes + 1, std::max(size.depth, directive.depth + 1)};
            }
            require(size.nodes <= kClangMaxNodes && size.depth <= kClangMaxDepth);
        }
}

void evaluate_what_was_said() {
    const Coach_Message &said = core->coach_message;
    check_stored(said);
    evaluate_tokens(said.advice);
    evaluate_tokens(said.info);
    evaluate_definitions(said.define);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const In_Scratch_Dir here;
    as_player_of_each_side(kMe, [=] {
        for_each_datagram(data, size, kMessageSize, [](char *text) {
            c_parser->parse_coach_message(text);
        });
        for (bool ball_at_my_feet : {false, true}) {
            place_fixed_world(ball_at_my_feet);
            evaluate_what_was_said();
            core->do_coach_advices();
        }
    });
    return 0;
}
