#include "common/geometry.h"

#include <cmath>
#include <cstdio>

// ---- TPoint ----

void TPoint::insert(double x, double y)
{
    X = x;
    Y = y;
}

void TPoint::insert_polar(double R, double rad_ang)
{
    X = R * std::cos(rad_ang);
    Y = R * std::sin(rad_ang);
}

double TPoint::abs() const { return std::sqrt(X * X + Y * Y); }

double TPoint::ang() const { return std::atan2(Y, X); }

double TPoint::dist(TPoint A) const { return (*this - A).abs(); }

double TPoint::relative_ang(TPoint A) const { return (*this - A).ang(); }

void TPoint::rotate(double t)
{
    insert_polar(abs(), ang() + t);
}

void TPoint::shift_vertical(double value) { X += value; }

void TPoint::shift_horizontal(double value) { Y += value; }

TPoint TPoint::operator/(double k) const
{
    if (k == 0)
        return kInvalidPoint;
    return TPoint(X / k, Y / k);
}

TPoint &TPoint::operator+=(TPoint A)
{
    X += A.X;
    Y += A.Y;
    return *this;
}

TPoint &TPoint::operator-=(TPoint A)
{
    X -= A.X;
    Y -= A.Y;
    return *this;
}

TPoint &TPoint::operator*=(double k)
{
    X *= k;
    Y *= k;
    return *this;
}

TPoint &TPoint::operator/=(double k)
{
    *this = *this / k;
    return *this;
}

bool TPoint::is_point_QUAZIL() const { return X >= kQuazilCoord || Y >= kQuazilCoord; }

void TPoint::display() const
{
    if (is_point_QUAZIL()) {
        std::printf("QUAZIL\n");
        return;
    }
    std::printf("Position : (%1.2f,%1.2f) ,angle : (%1.2f) ,abs : (%1.2f)\n", X, Y, ang(), abs());
}

TPoint polar_2_point(float r, float t)
{
    TPoint p;
    p.insert_polar(r, t);
    return p;
}

// ---- TLine ----

void TLine::insert(double a, double b, double c)
{
    A = a;
    B = b;
    C = c;
}

void TLine::line_from_2_points(TPoint a, TPoint b)
{
    A = a.Y - b.Y;
    B = b.X - a.X;
    if (a == b) {  // no direction: take x + y through the point
        A = 1;
        B = 1;
    }
    C = -A * b.X - B * b.Y;
}

double TLine::line_ramp() const { return -A / B; }

double TLine::x_from_center() const { return -C / B; }

double TLine::y_from_center() const { return -C / A; }

double TLine::get_x_by_y(double y) const
{
    if (A == 0)
        return kQuazilCoord;
    return -(B * y + C) / A;
}

double TLine::get_y_by_x(double x) const
{
    if (B == 0)
        return kQuazilCoord;
    return -(A * x + C) / B;
}

double TLine::dist(TPoint a) const
{
    if (A == 0 && B == 0)
        return 0;
    return std::fabs(value_at(a)) / std::sqrt(A * A + B * B);
}

bool TLine::is_point_on_line(TPoint a) const { return dist(a) <= Width / 2; }

double TLine::ang() const { return std::atan2(-A, B); }

double TLine::line_x_vect_angle() const { return std::atan(-B / A); }

void TLine::parallel_line_from_point(TPoint a, TLine l)
{
    A = l.A;
    B = l.B;
    C = -(A * a.X + B * a.Y);
}

void TLine::pillar_line_from_point(TPoint a, TLine l)
{
    A = l.B;
    B = -l.A;
    C = -(A * a.X + B * a.Y);
}

bool TLine::is_line_between_2_points(TPoint a, TPoint b) const
{
    return value_at(a) * value_at(b) <= 0;
}

bool TLine::is_parallel(TLine l) const { return A == l.A && B == l.B; }

bool TLine::is_pillar(TLine l) const { return B == l.A && A == -l.B; }

void TLine::shift_vertical(double value) { C -= B * value; }

void TLine::shift_horizontal(double value) { C -= A * value; }

double TLine::ang_from_line(TLine l) const
{
    const double d = std::fabs(l.ang() - ang());
    return d > kPi / 2 ? d - kPi / 2 : d;
}

void TLine::rotate(double moment)
{
    // The pivot p1 and a second point p2 are where the line meets fixed helper
    // lines; x = 1 stands in for whichever of them is parallel to this line.
    const TPoint p3 = accident_point(TLine(1, 0, -1));
    TPoint p1 = accident_point(TLine(1, 1, 0));
    TPoint p2 = accident_point(TLine(0, 1, 2));
    if (p1.is_point_QUAZIL())
        p1 = p3;
    if (p2.is_point_QUAZIL())
        p2 = p3;
    TPoint arm = p2 - p1;
    arm.rotate(moment);
    line_from_2_points(p1, arm + p1);
}

TPoint TLine::accident_point(TLine l) const
{
    if (l.A * B == l.B * A)
        return kInvalidPoint;
    const double x = (B * l.C - l.B * C) / (l.B * A - B * l.A);
    double y = get_y_by_x(x);
    if (y >= kQuazilCoord)  // this line is vertical
        y = l.get_y_by_x(x);
    return TPoint(x, y);
}

bool TLine::operator==(TLine l) const
{
    if (A * l.B != B * l.A)
        return false;
    if (B == 0 && l.B == 0)  // two vertical lines: same only where they cross y = 0
        return A * l.C == C * l.A;
    return C * l.B == B * l.C;
}

void TLine::display() const { std::printf(" Line : ( %f X + %f Y + %f = 0 )\n", A, B, C); }

// ---- TCircle ----

void TCircle::insert(TPoint a, double r)
{
    Center = a;
    Radius = r;
}

bool TCircle::is_point_on_the_circle(TPoint a) const
{
    return std::fabs(a.dist(Center) - Radius) < Width / 2;
}

bool TCircle::is_point_in_the_circle(TPoint a) const { return a.dist(Center) < Radius; }

bool TCircle::is_point_out_of_circle(TPoint a) const { return a.dist(Center) > Radius; }

bool TCircle::is_line_contiguous(TLine l) const
{
    return std::fabs(l.dist(Center) - Radius) < (Width + l.Width) / 2;
}

bool TCircle::is_line_intersecting(TLine l) const { return l.dist(Center) < Radius; }

bool TCircle::is_line_nonintersecting(TLine l) const { return l.dist(Center) > Radius; }

point_state TCircle::get_point_state(TPoint p) const
{
    if (is_point_on_the_circle(p))
        return PS_ON;
    return is_point_in_the_circle(p) ? PS_IN : PS_OUT;
}

line_state TCircle::get_line_state(TLine l) const
{
    if (is_line_contiguous(l))
        return LS_CONT;
    return is_line_intersecting(l) ? LS_INTR : LS_OUT;
}

void TCircle::accident_points(TLine l, TPoint *a, TPoint *b) const
{
    int n = 0;
    if (!is_line_nonintersecting(l))
        n = line_circle_intersect(l, Radius, Center, a, b);
    if (n < 1)
        *a = kInvalidPoint;
    if (n < 2)
        *b = kInvalidPoint;
}

// ---- TQuadrangle ----

void TQuadrangle::insert(TPoint a, TPoint b, TPoint c, TPoint d)
{
    P1 = a;
    P2 = b;
    P3 = c;
    P4 = d;
}

TPoint TQuadrangle::middle() const { return (P1 + P2 + P3 + P4) / 4; }

TPoint TQuadrangle::center() const { return TLine(P1, P3).accident_point(TLine(P2, P4)); }

bool TQuadrangle::is_line_intersecting(TLine l) const
{
    return l.is_line_between_2_points(P1, P3) || l.is_line_between_2_points(P2, P4);
}

bool TQuadrangle::is_line_nonintersecting(TLine l) const { return !is_line_intersecting(l); }

bool TQuadrangle::is_point_in_the_quadrangle(TPoint p) const
{
    // Seen from a point inside, each corner's two neighbours lie on opposite
    // sides of the line through that corner.
    return TLine(p, P1).is_line_between_2_points(P2, P4) && TLine(p, P2).is_line_between_2_points(P1, P3) &&
           TLine(p, P3).is_line_between_2_points(P2, P4) && TLine(p, P4).is_line_between_2_points(P3, P1);
}

bool TQuadrangle::is_point_out_of_the_quadrangle(TPoint p) const { return !is_point_in_the_quadrangle(p); }

// ---- TArc ----

void TArc::insert_by_delta(TPoint p, float r1, float r2, float a1, float a2)
{
    Center = p;
    R1 = r1;
    R2 = r2;
    angle = a1;
    delta_ang = a2;
}

void TArc::insert_by_edges(TPoint p, float r1, float r2, float a1, float a2)
{
    float middle = (a1 + a2) / 2;
    if (std::fabs(a1 - a2) > kPi)  // the short way round crosses +-pi: halve it from a1
        middle = a1 + get_normal_angle_rad(a2 - a1) / 2;
    insert_by_delta(p, r1, r2, get_normal_angle_rad(middle), std::fabs(get_normal_angle_rad(a1 - a2)) / 2);
}

bool TArc::is_point_in_the_arc(TPoint p) const
{
    const float d = static_cast<float>(p.dist(Center));
    if (d < R1 || d > R2)
        return false;
    const float a = static_cast<float>(p.relative_ang(Center));
    return std::fabs(get_normal_angle_rad(a - angle)) <= delta_ang;
}

bool TArc::is_point_out_of_the_arc(TPoint p) const { return !is_point_in_the_arc(p); }

// ---- free routines ----

int quadratic_formula(double a, double b, double c, double *psol1, double *psol2)
{
    const float d = static_cast<float>(b * b - 4 * a * c);
    if (std::fabs(d) < 0.001f) {
        *psol1 = -b / (2 * a);
        return 1;
    }
    if (!(d >= 0))  // negative, or NaN from non-finite coefficients
        return 0;
    const float s = static_cast<float>(std::sqrt(static_cast<double>(d)));
    *psol1 = (s - b) / (2 * a);
    *psol2 = (-b - s) / (2 * a);
    return 2;
}

int line_circle_intersect(TLine l, double rad, TPoint center, TPoint *psol1, TPoint *psol2)
{
    *psol1 = TPoint(0, 0);
    *psol2 = TPoint(0, 0);
    if (l.A == 0 && l.B == 0)  // no line at all
        return 0;
    // Solve for x unless the line is (nearly) horizontal; a line steeper than it
    // is wide is never taken as horizontal, however small its coefficients.
    if (std::fabs(l.A) > 0.001 || std::fabs(l.A) > std::fabs(l.B)) {
        const double t = l.B / l.A;
        const double m = center.X + l.C / l.A;
        const int n = quadratic_formula(t * t + 1, 2 * (t * m - center.Y), m * m - rad * rad + center.Y * center.Y,
                                        &psol1->Y, &psol2->Y);
        psol1->X = -(l.C + l.B * psol1->Y) / l.A;
        psol2->X = -(l.C + l.B * psol2->Y) / l.A;
        return n;
    }
    const double y = -l.C / l.B;
    const double offset = center.Y + l.C / l.B;
    const int n = quadratic_formula(1, -2 * center.X, center.X * center.X + offset * offset - rad * rad, &psol1->X,
                                    &psol2->X);
    psol1->Y = y;
    psol2->Y = y;
    return n;
}

namespace {

// Whether hit lies on the ray from origin towards another_point: the two
// directions agree within 0.001 degrees, compared the short way round.
bool is_on_ray(TPoint origin, TPoint another_point, TPoint hit)
{
    const double diff = std::remainder(origin.relative_ang(hit) - origin.relative_ang(another_point), 2 * kPi);
    return std::fabs(180 * diff / kPi) <= 0.001;
}

}  // namespace

int ray_circle_intersect(TPoint origin, TPoint another_point, TLine line, TCircle circle, TPoint *p1, TPoint *p2)
{
    int n = line_circle_intersect(line, circle.Radius, circle.Center, p1, p2);
    if (n == 0)
        return 0;
    if (n == 1)
        return is_on_ray(origin, another_point, *p1) ? 1 : 0;
    if (!is_on_ray(origin, another_point, *p1)) {
        *p1 = *p2;
        --n;
    }
    if (!is_on_ray(origin, another_point, *p2))
        --n;
    return n;
}
