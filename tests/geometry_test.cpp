#include <gtest/gtest.h>

#include <cmath>

#include "common/geometry.h"

namespace {

void expect_point(TPoint p, double x, double y)
{
    EXPECT_NEAR(p.X, x, 1e-9);
    EXPECT_NEAR(p.Y, y, 1e-9);
}

double deg(double d) { return d * kPi / 180; }

}  // namespace

TEST(Points, MeasuresOfAVector)
{
    EXPECT_DOUBLE_EQ(TPoint(3, 4).abs(), 5);
    EXPECT_DOUBLE_EQ(TPoint(0, 1).ang(), kPi / 2);
    EXPECT_DOUBLE_EQ(TPoint(-1, 0).ang(), kPi);
    EXPECT_DOUBLE_EQ(TPoint(1, 0).relative_ang(TPoint(0, 0)), 0);
    EXPECT_DOUBLE_EQ(TPoint(0, 0).relative_ang(TPoint(1, 0)), kPi);
    EXPECT_DOUBLE_EQ(TPoint(1, 1).dist(TPoint(4, 5)), 5);
}

TEST(Points, ArithmeticIsComponentWise)
{
    expect_point(TPoint(2, 3) * TPoint(4, 5), 8, 15);
    expect_point(TPoint(2, 3) * 2, 4, 6);
    expect_point(-TPoint(2, -3), -2, 3);
    TPoint p(1, 1);
    p.shift_vertical(2);
    expect_point(p, 3, 1);
    p.shift_horizontal(2);
    expect_point(p, 3, 3);
    EXPECT_NE(TPoint(0.1 + 0.2, 0), TPoint(0.3, 0));
}

TEST(Points, DivisionByZeroGivesTheInvalidPoint)
{
    EXPECT_TRUE((TPoint(1, 1) / 0.0).is_point_QUAZIL());
    EXPECT_EQ(TPoint(1, 1) / 0.0, kInvalidPoint);
    TPoint p(2, 2);
    p /= 0;
    EXPECT_TRUE(p.is_point_QUAZIL());
    EXPECT_TRUE(TPoint(1.7e151, 0).is_point_QUAZIL());
    EXPECT_TRUE(TPoint(0, 1.7e151).is_point_QUAZIL());
    EXPECT_FALSE(TPoint(1.69e151, 0).is_point_QUAZIL());
}

TEST(Points, RotationKeepsTheLength)
{
    TPoint p(1, 0);
    p.rotate(kPi / 2);
    expect_point(p, 0, 1);
    TPoint zero;
    zero.rotate(1);
    expect_point(zero, 0, 0);
    const TPoint west = polar_2_point(2, static_cast<float>(kPi));  // pi held in a float
    EXPECT_NEAR(west.X, -2, 1e-6);
    EXPECT_NEAR(west.Y, 0, 1e-6);
}

TEST(Lines, FromTwoPoints)
{
    const TLine diagonal(TPoint(0, 0), TPoint(1, 1));
    EXPECT_DOUBLE_EQ(diagonal.A, -1);
    EXPECT_DOUBLE_EQ(diagonal.B, 1);
    EXPECT_DOUBLE_EQ(diagonal.C, 0);
    const TLine same(TPoint(2, 3), TPoint(2, 3));  // no direction: x + y - 5 = 0
    EXPECT_DOUBLE_EQ(same.A, 1);
    EXPECT_DOUBLE_EQ(same.B, 1);
    EXPECT_DOUBLE_EQ(same.C, -5);
}

TEST(Lines, Intersections)
{
    expect_point(TLine(0, 1, 0).accident_point(TLine(1, 0, 0)), 0, 0);
    EXPECT_TRUE(TLine(0, 1, 0).accident_point(TLine(0, 2, 5)).is_point_QUAZIL());
    // This line vertical (x = 3), l horizontal (y = 2): Y comes from l.
    expect_point(TLine(1, 0, -3).accident_point(TLine(0, 1, -2)), 3, 2);
    expect_point(TLine(TPoint(0, 0), TPoint(1, 1)).accident_point(TLine(TPoint(0, 2), TPoint(2, 0))), 1, 1);
}

TEST(Lines, DistancesAndSides)
{
    EXPECT_DOUBLE_EQ(TLine(0, 1, 0).dist(TPoint(0, 5)), 5);
    EXPECT_DOUBLE_EQ(TLine(0, 0, 3).dist(TPoint(0, 5)), 0);
    EXPECT_TRUE(TLine(0, 1, 0).is_point_on_line(TPoint(7, 0.5)));
    EXPECT_FALSE(TLine(0, 1, 0).is_point_on_line(TPoint(7, 0.6)));
    EXPECT_TRUE(TLine(0, 1, 0).is_line_between_2_points(TPoint(0, 1), TPoint(0, -1)));
    EXPECT_TRUE(TLine(0, 1, 0).is_line_between_2_points(TPoint(0, 0), TPoint(0, 3)));
    EXPECT_FALSE(TLine(0, 1, 0).is_line_between_2_points(TPoint(0, 1), TPoint(0, 3)));
    EXPECT_DOUBLE_EQ(TLine(1, 0, -2).get_y_by_x(1), kQuazilCoord);
    EXPECT_DOUBLE_EQ(TLine(0, 1, -2).get_x_by_y(1), kQuazilCoord);
}

TEST(Lines, ParallelAndPerpendicularAreExact)
{
    EXPECT_FALSE(TLine(1, 1, 0).is_parallel(TLine(2, 2, 1)));
    EXPECT_TRUE(TLine(1, 1, 0).is_parallel(TLine(1, 1, 1)));
    TLine perpendicular;
    perpendicular.pillar_line_from_point(TPoint(1, 2), TLine(0, 1, 0));
    EXPECT_TRUE(perpendicular.is_line_vertical());
    EXPECT_DOUBLE_EQ(perpendicular.dist(TPoint(1, 7)), 0);
    TLine parallel;
    parallel.parallel_line_from_point(TPoint(0, 3), TLine(0, 1, 0));
    EXPECT_DOUBLE_EQ(parallel.get_y_by_x(10), 3);
}

TEST(Lines, EqualityAllowsACommonFactor)
{
    EXPECT_EQ(TLine(1, 2, 3), TLine(2, 4, 6));
    EXPECT_NE(TLine(1, 2, 3), TLine(1, 2, 4));
    EXPECT_EQ(TLine(1, 0, -1), TLine(2, 0, -2));
    EXPECT_NE(TLine(1, 0, -1), TLine(1, 0, -2));  // x = 1 and x = 2
}

TEST(Lines, RotationTurnsAboutAPointOnTheLine)
{
    TLine horizontal(0, 1, -3);  // y = 3, pivot where it meets x + y = 0
    horizontal.rotate(kPi / 2);
    EXPECT_NEAR(horizontal.B / horizontal.A, 0, 1e-12);  // now vertical
    EXPECT_NEAR(horizontal.get_x_by_y(0), -3, 1e-9);
    TLine through_pivot(0, 1, 1);  // y = -1 meets x + y = 0 and x = 1 at (1, -1)
    through_pivot.rotate(0.7);
    EXPECT_NEAR(through_pivot.A, through_pivot.B, 1e-12);
    EXPECT_NEAR(through_pivot.dist(TPoint(1, -1)), 0, 1e-9);
}

TEST(Circles, PointAndLineStates)
{
    const TCircle unit;
    EXPECT_FALSE(unit.is_point_in_the_circle(TPoint(1, 0)));
    EXPECT_FALSE(unit.is_point_out_of_circle(TPoint(1, 0)));
    EXPECT_EQ(unit.get_point_state(TPoint(1.2, 0)), PS_ON);
    EXPECT_EQ(unit.get_point_state(TPoint(0.2, 0)), PS_IN);
    EXPECT_EQ(unit.get_point_state(TPoint(3, 0)), PS_OUT);
    EXPECT_EQ(unit.get_line_state(TLine(0, 1, -1)), LS_CONT);
    EXPECT_EQ(unit.get_line_state(TLine(0, 1, 0)), LS_INTR);
    EXPECT_EQ(unit.get_line_state(TLine(0, 1, -5)), LS_OUT);
}

TEST(Circles, CrossingLineMeetsAtTwoPoints)
{
    TPoint a, b;
    TCircle().accident_points(TLine(0, 1, 0), &a, &b);
    expect_point(a, 1, 0);
    expect_point(b, -1, 0);
    TCircle(TPoint(3, 4), 5).accident_points(TLine(1, 0, -3), &a, &b);  // x = 3 through the centre
    expect_point(a, 3, 9);
    expect_point(b, 3, -1);
}

TEST(Circles, TangentGivesOnePointAndMissGivesNone)
{
    TPoint a, b;
    TCircle().accident_points(TLine(0, 1, -1), &a, &b);
    expect_point(a, 0, 1);
    EXPECT_TRUE(b.is_point_QUAZIL());
    TCircle().accident_points(TLine(0, 1, -2), &a, &b);
    EXPECT_TRUE(a.is_point_QUAZIL());
    EXPECT_TRUE(b.is_point_QUAZIL());
}

TEST(Circles, LinesThroughTwoNearbyPointsStillMeetTheCircle)
{
    // Two points a tenth of a millimetre apart on the y axis: A and B are tiny.
    TPoint a, b;
    const TLine short_vertical(TPoint(0, 0), TPoint(0, 0.0001));
    EXPECT_EQ(line_circle_intersect(short_vertical, 2, TPoint(0, 0), &a, &b), 2);
    expect_point(a, 0, 2);
    expect_point(b, 0, -2);
    EXPECT_EQ(line_circle_intersect(TLine(0, 0, 1), 2, TPoint(0, 0), &a, &b), 0);
}

TEST(Circles, QuadraticRoots)
{
    double r1 = 0, r2 = 0;
    EXPECT_EQ(quadratic_formula(1, -3, 2, &r1, &r2), 2);
    EXPECT_DOUBLE_EQ(r1, 2);
    EXPECT_DOUBLE_EQ(r2, 1);
    EXPECT_EQ(quadratic_formula(1, 2, 1.0002, &r1, &r2), 1);  // discriminant -0.0008: one root
    EXPECT_DOUBLE_EQ(r1, -1);
    EXPECT_EQ(quadratic_formula(1, 0, 1, &r1, &r2), 0);
    EXPECT_EQ(quadratic_formula(1, std::nan(""), 1, &r1, &r2), 0);
}

TEST(Rays, AlongBothDirectionsOfTheXAxis)
{
    TPoint p1, p2;
    EXPECT_EQ(ray_circle_intersect(TPoint(0, 0), TPoint(1, 0), TLine(0, 1, 0), TCircle(), &p1, &p2), 1);
    expect_point(p1, 1, 0);
    EXPECT_EQ(ray_circle_intersect(TPoint(0, 0), TPoint(-1, 0), TLine(0, 1, 0), TCircle(), &p1, &p2), 1);
    expect_point(p1, -1, 0);
}

TEST(Rays, DirectionsJustEitherSideOfPiAgree)
{
    // The hits lie a hair above the origin's y, so seen from them the origin is
    // at -pi while the aiming point is at +pi: the same direction.
    TPoint p1, p2;
    const TLine noisy(0, 1, -1e-12);
    EXPECT_EQ(ray_circle_intersect(TPoint(0, 0), TPoint(1, 0), noisy, TCircle(), &p1, &p2), 1);
    EXPECT_NEAR(p1.X, 1, 1e-9);
    EXPECT_EQ(ray_circle_intersect(TPoint(0, 0), TPoint(-1, 0), noisy, TCircle(), &p1, &p2), 1);
    EXPECT_NEAR(p1.X, -1, 1e-9);
}

TEST(Rays, CircleAheadOrBehind)
{
    TPoint p1, p2;
    const TPoint origin(-5, 0);
    const TPoint ahead(5, 0);
    const TLine axis(origin, ahead);
    EXPECT_EQ(ray_circle_intersect(origin, ahead, axis, TCircle(TPoint(0, 0), 1), &p1, &p2), 2);
    expect_point(p1, 1, 0);
    expect_point(p2, -1, 0);
    EXPECT_EQ(ray_circle_intersect(origin, TPoint(-10, 0), axis, TCircle(TPoint(0, 0), 1), &p1, &p2), 0);
    EXPECT_EQ(ray_circle_intersect(origin, ahead, axis, TCircle(TPoint(0, 5), 1), &p1, &p2), 0);
}

TEST(Quadrangles, DefaultSquare)
{
    const TQuadrangle square;
    EXPECT_TRUE(square.is_point_in_the_quadrangle(TPoint(0, 0)));
    EXPECT_TRUE(square.is_point_in_the_quadrangle(TPoint(1, 0)));  // on an edge
    EXPECT_FALSE(square.is_point_in_the_quadrangle(TPoint(2, 0)));
    EXPECT_TRUE(square.is_point_out_of_the_quadrangle(TPoint(0, -1.5)));
    expect_point(square.middle(), 0, 0);
    expect_point(square.center(), 0, 0);
    EXPECT_TRUE(square.is_line_intersecting(TLine(0, 1, -0.5)));
    EXPECT_TRUE(square.is_line_nonintersecting(TLine(0, 1, -3)));
}

TEST(Quadrangles, PenaltyBox)
{
    const TQuadrangle box(TPoint(36, -20), TPoint(52.5, -20), TPoint(52.5, 20), TPoint(36, 20));
    EXPECT_TRUE(box.is_point_in_the_quadrangle(TPoint(45, 10)));
    EXPECT_FALSE(box.is_point_in_the_quadrangle(TPoint(30, 10)));
    expect_point(box.center(), 44.25, 0);
}

TEST(Arcs, DefaultSector)
{
    const TArc arc;
    EXPECT_TRUE(arc.is_point_in_the_arc(TPoint(3, 0)));
    EXPECT_TRUE(arc.is_point_in_the_arc(TPoint(2, 0)));
    EXPECT_FALSE(arc.is_point_in_the_arc(TPoint(1, 0)));
    EXPECT_FALSE(arc.is_point_in_the_arc(TPoint(5, 0)));
    EXPECT_FALSE(arc.is_point_in_the_arc(TPoint(0, 3)));
    EXPECT_TRUE(arc.is_point_out_of_the_arc(TPoint(0, 3)));
}

TEST(Arcs, SectorAcrossPlusMinusPi)
{
    const TArc behind(TPoint(0, 0), 1, 3, static_cast<float>(kPi), static_cast<float>(deg(20)));
    EXPECT_TRUE(behind.is_point_in_the_arc(TPoint(-2, 0.3)));
    EXPECT_TRUE(behind.is_point_in_the_arc(TPoint(-2, -0.3)));
    EXPECT_FALSE(behind.is_point_in_the_arc(TPoint(-2, 1.5)));
    EXPECT_FALSE(behind.is_point_in_the_arc(TPoint(2, 0)));
}

TEST(Arcs, FullTurnContainsEveryDirection)
{
    const TArc ring(TPoint(0, 0), 1, 3, static_cast<float>(kPi / 2), static_cast<float>(kPi));
    EXPECT_TRUE(ring.is_point_in_the_arc(TPoint(-2, -0.2)));  // 174 degrees clockwise from the middle
    EXPECT_TRUE(ring.is_point_in_the_arc(TPoint(0, -2)));
}

TEST(Arcs, ByEdges)
{
    TArc arc;
    arc.insert_by_edges(TPoint(0, 0), 1, 3, static_cast<float>(deg(10)), static_cast<float>(deg(50)));
    EXPECT_NEAR(arc.angle, deg(30), 1e-6);
    EXPECT_NEAR(arc.delta_ang, deg(20), 1e-6);
    // Edges at 170 and -170 degrees: the short way between them is around 180.
    arc.insert_by_edges(TPoint(0, 0), 1, 3, static_cast<float>(deg(170)), static_cast<float>(deg(-170)));
    EXPECT_NEAR(std::fabs(arc.angle), kPi, 1e-6);
    EXPECT_NEAR(arc.delta_ang, deg(10), 1e-6);
    EXPECT_TRUE(arc.is_point_in_the_arc(TPoint(-2, 0.1)));
    EXPECT_FALSE(arc.is_point_in_the_arc(TPoint(2, 0)));
}
