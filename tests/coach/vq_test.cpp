// The vector quantiser's clustering and collections, and the virtual coach's
// console: its commands and how its loop ends.

#include "coach/virtual_coach.h"
#include "coach/vq.h"

#include <cmath>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <unistd.h>

namespace {

TEST(VQ, NearestClassOwnsAPointAndTiesGoToTheFirst) {
    TVQ vq(2);
    const float classes[][2] = {{0, 0}, {2, 0}, {40000, 0}};
    for (const float *c : classes)
        vq.add_class(c);
    const float points[][2] = {{1, 0}, {1.5f, 0}, {80000, 0}};
    for (const float *p : points)
        vq.add_point(p);
    vq.set_point_owners();
    EXPECT_EQ(vq.points.get_point(0)->owner_class, 0);    // 1 from both
    EXPECT_EQ(vq.points.get_point(1)->owner_class, 1);
    EXPECT_EQ(vq.points.get_point(2)->owner_class, -1);   // 40000 from the nearest: beyond every class
    EXPECT_FLOAT_EQ(vq.get_distance(classes[0], points[1]), 1.5f);
}

TEST(VQ, CentresMoveToTheirPointsAndAClassWithoutPointsStays) {
    TVQ vq(2);
    const float classes[][2] = {{0, 0}, {50, 50}};
    for (const float *c : classes)
        vq.add_class(c);
    const float points[][2] = {{2, 0}, {2, 1}};
    for (const float *p : points)
        vq.add_point(p);
    vq.set_point_owners();
    vq.change_class_positions();
    EXPECT_TRUE(vq.not_trained);   // class 0 moved by 2.06
    vq.train();
    EXPECT_FALSE(vq.not_trained);
    EXPECT_FLOAT_EQ(vq.classes.get_class(0)->attr[0], 2);
    EXPECT_FLOAT_EQ(vq.classes.get_class(0)->attr[1], 0.5f);
    EXPECT_FLOAT_EQ(vq.classes.get_class(1)->attr[0], 50);
    EXPECT_FLOAT_EQ(vq.classes.get_class(1)->attr[1], 50);
}

TEST(VQ, ACentreThatIsNotFiniteEndsTraining) {
    TVQ vq(1);
    const float huge = 3e38f;
    vq.add_class(&huge);
    vq.add_point(&huge);
    vq.add_point(&huge);   // their sum overflows: the mean is infinite
    vq.train();
    EXPECT_FALSE(vq.not_trained);
    EXPECT_TRUE(std::isinf(vq.classes.get_class(0)->attr[0]));
}

TEST(VQ, CollectionsUnlinkHeadMiddleAndLast) {
    TVQPoint_Collection points(1);
    for (float v : {0.0f, 1.0f, 2.0f, 3.0f, 4.0f})
        EXPECT_EQ(points.add_point(&v), static_cast<int>(v) + 1);
    points.destroy_point(2);   // middle
    points.destroy_point(0);   // head
    points.destroy_point(2);   // last
    points.destroy_point(5);   // none
    ASSERT_EQ(points.get_count(), 2);
    EXPECT_FLOAT_EQ(points.get_point(0)->attr[0], 1);
    EXPECT_FLOAT_EQ(points.get_point(1)->attr[0], 3);
    EXPECT_EQ(points.get_point(2), nullptr);
    EXPECT_EQ(points.get_point(-1), nullptr);
    points.destroy_all_points();
    EXPECT_EQ(points.get_count(), 0);
}

// ---- the console ----

TEST(VirtualCoach, CommandsAndTheirNumbers) {
    Console_Command c = TVirtual_Coach::parse_command("sub 1 2");
    EXPECT_EQ(c.kind, Console_Command::sub);
    EXPECT_EQ(c.values[0], 1);
    EXPECT_EQ(c.values[1], 2);
    c = TVirtual_Coach::parse_command("form 3)");
    EXPECT_EQ(c.kind, Console_Command::form);
    EXPECT_EQ(c.values[0], 3);
    c = TVirtual_Coach::parse_command("sub");   // shorter than where its numbers begin
    EXPECT_EQ(c.kind, Console_Command::sub);
    EXPECT_EQ(c.values[0], 0);
    EXPECT_EQ(c.values[1], 0);
    EXPECT_EQ(TVirtual_Coach::parse_command("quit now").kind, Console_Command::quit);
    EXPECT_EQ(TVirtual_Coach::parse_command(" quit").kind, Console_Command::ignored);
    EXPECT_EQ(TVirtual_Coach::parse_command("").kind, Console_Command::ignored);
}

// The loop over a pipe that holds text and is then closed, or held open.
class Console : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0); }
    void TearDown() override {
        close(ends[0]);
        if (ends[1] >= 0)
            close(ends[1]);
    }
    void feed(const std::string &text, bool then_end) {
        ASSERT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        if (then_end) {
            close(ends[1]);
            ends[1] = -1;
        }
    }
    int ends[2] = {-1, -1};
};

TEST_F(Console, QuitEndsTheLoop) {
    feed("sub 1 2\nform 3\nhello\nquit\nform 4\n", false);
    TVirtual_Coach console(ends[0]);
    EXPECT_TRUE(console.start_command_loop());
}

TEST_F(Console, EndOfInputEndsTheLoop) {
    feed("sub 1 2\nform 3", true);
    TVirtual_Coach console(ends[0]);
    EXPECT_FALSE(console.start_command_loop());
}

// The rest of a line longer than the buffer is no command of its own.
TEST_F(Console, LongLineIsReadWhole) {
    feed(std::string(TVirtual_Coach::kLineSize - 1, 'x') + "quit\nform 3\n", true);
    TVirtual_Coach console(ends[0]);
    EXPECT_FALSE(console.start_command_loop());
}

TEST_F(Console, StopEndsALoopThatWaitsForInput) {
    TVirtual_Coach console(ends[0]);
    std::thread loop([&console] { EXPECT_FALSE(console.start_command_loop()); });
    feed("form 3\n", false);
    console.stop();
    loop.join();
}

}  // namespace
