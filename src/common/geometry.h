#pragma once
// Plane geometry shared by all programs: points, lines, circles, quadrangles and
// annular sectors. Lengths are metres, angles radians. Operations without a
// result return the invalid point, recognised by TPoint::is_point_QUAZIL.

#include "common/utils.h"

// Coordinate of the invalid point; also what TLine gives for a coordinate that
// the line does not have.
constexpr double kQuazilCoord = 1.7e151;

// A position or vector on the field, in metres. Angles derived from it are in
// radians, as atan2 gives them: (-pi, pi].
struct TPoint {
    double X = 0;
    double Y = 0;

    constexpr TPoint() = default;
    constexpr TPoint(double x, double y) : X(x), Y(y) {}

    void insert(double x, double y);
    void insert_polar(double R, double rad_ang);

    double abs() const;                       // length of the vector
    double ang() const;                       // direction of the vector
    double dist(TPoint A) const;
    double relative_ang(TPoint A) const;      // direction from A to this point

    void rotate(double t);                    // about the origin, keeping the length
    void shift_vertical(double value);        // X += value
    void shift_horizontal(double value);      // Y += value

    TPoint operator+(TPoint A) const { return TPoint(X + A.X, Y + A.Y); }
    TPoint operator-(TPoint A) const { return TPoint(X - A.X, Y - A.Y); }
    TPoint operator-() const { return TPoint(-X, -Y); }
    TPoint operator*(TPoint A) const { return TPoint(X * A.X, Y * A.Y); }  // component-wise
    TPoint operator*(double k) const { return TPoint(X * k, Y * k); }
    TPoint operator/(double k) const;         // the invalid point for k == 0
    TPoint &operator+=(TPoint A);
    TPoint &operator-=(TPoint A);
    TPoint &operator*=(double k);
    TPoint &operator/=(double k);             // stores the invalid point for k == 0
    bool operator==(TPoint A) const { return X == A.X && Y == A.Y; }
    bool operator!=(TPoint A) const { return !(*this == A); }

    bool is_point_QUAZIL() const;             // true for the invalid point
    void display() const;                     // one line on standard output
};

inline constexpr TPoint kInvalidPoint{kQuazilCoord, kQuazilCoord};

TPoint polar_2_point(float r, float t);

// A line A*x + B*y + C = 0 (coefficients not normalised) with a tolerance band
// of Width metres for the on-the-line and tangency tests.
class TLine {
public:
    double A = 1;
    double B = 1;
    double C = 0;
    double Width = 1;

    TLine() = default;
    TLine(double a, double b, double c) : A(a), B(b), C(c) {}
    TLine(TPoint a, TPoint b) { line_from_2_points(a, b); }

    void insert(double a, double b, double c);
    void set_width(double w) { Width = w; }
    void line_from_2_points(TPoint a, TPoint b);   // a == b gives x + y through b

    double line_ramp() const;
    double x_from_center() const;
    double y_from_center() const;
    double get_x_by_y(double y) const;             // kQuazilCoord for a horizontal line
    double get_y_by_x(double x) const;             // kQuazilCoord for a vertical line
    double dist(TPoint a) const;
    bool is_point_on_line(TPoint a) const;
    bool is_line_vertical() const { return B == 0; }
    bool is_line_horizontal() const { return A == 0; }
    double ang() const;
    double line_x_vect_angle() const;

    void parallel_line_from_point(TPoint a, TLine l);
    void pillar_line_from_point(TPoint a, TLine l);   // the perpendicular to l through a
    bool is_line_between_2_points(TPoint a, TPoint b) const;  // opposite sides or on it
    bool is_parallel(TLine l) const;               // same A and B exactly
    bool is_pillar(TLine l) const;                 // perpendicular, exact coefficients
    void shift_vertical(double value);
    void shift_horizontal(double value);
    double ang_from_line(TLine l) const;
    void rotate(double moment);                    // about a pivot point on the line
    TPoint accident_point(TLine l) const;          // the invalid point for parallel lines

    bool operator==(TLine l) const;
    bool operator!=(TLine l) const { return !(*this == l); }
    void display() const;

private:
    double value_at(TPoint a) const { return A * a.X + B * a.Y + C; }
};

enum point_state { PS_IN = 0, PS_ON = 1, PS_OUT = 2 };
enum line_state { LS_CONT = 0, LS_INTR = 1, LS_OUT = 2 };

// A circle with a tolerance band of Width metres for the on-the-circle and
// tangency tests.
class TCircle {
public:
    TPoint Center;
    double Radius = 1;
    double Width = 1;

    TCircle() = default;
    TCircle(TPoint a, double r) : Center(a), Radius(r) {}

    void insert(TPoint a, double r);
    void set_width(double w) { Width = w; }

    bool is_point_on_the_circle(TPoint a) const;
    bool is_point_in_the_circle(TPoint a) const;    // strictly inside
    bool is_point_out_of_circle(TPoint a) const;    // strictly outside
    bool is_line_contiguous(TLine l) const;         // tangent within the bands
    bool is_line_intersecting(TLine l) const;
    bool is_line_nonintersecting(TLine l) const;
    point_state get_point_state(TPoint p) const;
    line_state get_line_state(TLine l) const;
    // Intersections with l; the missing ones become the invalid point.
    void accident_points(TLine l, TPoint *a, TPoint *b) const;
};

// A convex four-cornered region; P1 and P3 are opposite corners, as are P2 and P4.
class TQuadrangle {
public:
    TPoint P1{-1, -1};
    TPoint P2{1, -1};
    TPoint P3{1, 1};
    TPoint P4{-1, 1};

    TQuadrangle() = default;
    TQuadrangle(TPoint a, TPoint b, TPoint c, TPoint d) : P1(a), P2(b), P3(c), P4(d) {}

    void insert(TPoint a, TPoint b, TPoint c, TPoint d);
    TPoint middle() const;                          // mean of the corners
    TPoint center() const;                          // where the diagonals cross
    bool is_line_intersecting(TLine l) const;
    bool is_line_nonintersecting(TLine l) const;
    bool is_point_in_the_quadrangle(TPoint p) const;   // edges count as inside
    bool is_point_out_of_the_quadrangle(TPoint p) const;
};

// An annular sector: radii R1 to R2 about Center, directions within delta_ang
// of angle (radians). Sectors may cross the direction +-pi.
class TArc {
public:
    TPoint Center;
    float R1 = 2;
    float R2 = 4;
    float angle = 0;
    float delta_ang = static_cast<float>(kPi / 4);

    TArc() = default;
    TArc(TPoint p, float r1, float r2, float a1, float a2) { insert_by_delta(p, r1, r2, a1, a2); }

    void insert_by_delta(TPoint p, float r1, float r2, float a1, float a2);
    // The sector between the edge directions a1 and a2, the short way round.
    void insert_by_edges(TPoint p, float r1, float r2, float a1, float a2);
    bool is_point_in_the_arc(TPoint p) const;
    bool is_point_out_of_the_arc(TPoint p) const;
};

// Real roots of a*x^2 + b*x + c = 0 (a != 0): returns how many; a near-zero
// discriminant gives one root, in *psol1 only.
int quadratic_formula(double a, double b, double c, double *psol1, double *psol2);

// Intersections of l with the circle (center, rad): returns how many; only that
// many of *psol1, *psol2 are meaningful.
int line_circle_intersect(TLine l, double rad, TPoint center, TPoint *psol1, TPoint *psol2);

// The intersections of line (through origin and another_point) with circle that
// lie on the ray from origin towards another_point; a single one is in *p1.
int ray_circle_intersect(TPoint origin, TPoint another_point, TLine line, TCircle circle, TPoint *p1,
                         TPoint *p2);
