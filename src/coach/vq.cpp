#include "coach/vq.h"

#include <cmath>
#include <cstdio>

namespace {

const float kFarthest = 32000;       // no class farther than this owns a point
const float kSettledMove = 0.9f;     // a centre moving less than this has settled

const int kTestDim = 5;
const float kTestPoints[][kTestDim] = {
    {2, 3, 4, 5, 6},     {8, 3, 1, 2, 4}, {4, 5, 6, 7, 8}, {7, 5, 1, 5, 9}, {3, 1, 1, 3, 1}, {5, 2, 6, 7, 4},
    {2.2f, 12, 1, 5, 3.4f}, {8.5f, 1, 7, 7, 7}, {7, 6, 5, 1, 8}, {5, 5, 5, 5, 5}, {4, 4, 4, 4, 7}, {1, 2, 3, 3, 3}};
const float kTestClasses[][kTestDim] = {
    {8, 3, 1, 4, 1}, {1, 4, 6, 2, 7}, {6, 2, 7, 1, 4}, {8, 3, 1, 1, 4}, {1, 2, 3, 4, 3.5f}};

}  // namespace

void TVQ::train() {
    for (int pass = 0; not_trained && pass < kMaxTrainPasses; ++pass) {
        set_point_owners();
        change_class_positions();
        if (!centres_are_finite())
            not_trained = false;
    }
}

void TVQ::set_point_owners() {
    for (int p = 0; p < points.get_count(); ++p) {
        TVQPoint *point = points.get_point(p);
        float best = kFarthest;
        int owner = -1;
        for (int c = 0; c < classes.get_count(); ++c) {
            const float distance = get_distance(classes.get_class(c)->attr.data(), point->attr.data());
            if (distance < best) {
                best = distance;
                owner = c;
            }
        }
        point->owner_class = owner;
    }
}

void TVQ::change_class_positions() {
    not_trained = false;
    for (int c = 0; c < classes.get_count(); ++c) {
        std::vector<float> mean(static_cast<size_t>(dim), 0.0f);
        int owned = 0;
        for (int p = 0; p < points.get_count(); ++p) {
            const TVQPoint *point = points.get_point(p);
            if (point->owner_class != c)
                continue;
            for (int k = 0; k < dim; ++k)
                mean[static_cast<size_t>(k)] += point->attr[static_cast<size_t>(k)];
            ++owned;
        }
        if (owned == 0)
            continue;
        for (float &value : mean)
            value /= static_cast<float>(owned);
        TVQClass *centre = classes.get_class(c);
        if (get_distance(mean.data(), centre->attr.data()) > kSettledMove)
            not_trained = true;
        centre->attr = mean;
    }
}

float TVQ::get_distance(const float *a, const float *b) const {
    float sum = 0;
    for (int k = 0; k < dim; ++k)
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(sum);
}

bool TVQ::centres_are_finite() const {
    for (int c = 0; c < classes.get_count(); ++c)
        for (float value : classes.get_class(c)->attr)
            if (!std::isfinite(value))
                return false;
    return true;
}

void TVQ::test_main() {
    TVQ vq(kTestDim);
    for (const float *point : kTestPoints)
        vq.add_point(point);
    for (const float *centre : kTestClasses)
        vq.add_class(centre);
    vq.train();
    for (int p = 0; p < vq.points.get_count(); ++p)
        printf("%d ", vq.points.get_point(p)->owner_class);
    printf("\n\n\n");
    for (float value : vq.classes.get_class(1)->attr)
        printf("%.2f ", static_cast<double>(value));
}
