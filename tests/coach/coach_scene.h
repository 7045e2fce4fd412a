#pragma once
// The coach's globals for a test: a core on a link (none by default), a fresh
// world and the parser.

#include <gtest/gtest.h>
#include <memory>

#include "coach/core.h"
#include "coach/parser.h"

class Coach_Scene : public ::testing::Test {
protected:
    void SetUp() override { make_coach(nullptr); }
    void TearDown() override {
        core = nullptr;
        inf = nullptr;
        parser = nullptr;
        core_.reset();            // before a link of the derived scene goes
        world_.reset();
    }
    void make_coach(TTransfer *link) {
        core_ = std::make_unique<TCore>(link);
        world_ = std::make_unique<TInfo>();
        core = core_.get();
        inf = world_.get();
        parser = &parser_;
    }

    std::unique_ptr<TCore> core_;
    std::unique_ptr<TInfo> world_;
    TCoach_Parser parser_;
};
