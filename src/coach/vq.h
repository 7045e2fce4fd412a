#pragma once
// A k-means vector quantiser: points of a fixed dimension are clustered
// around a given set of class centres, with a self-test that trains on a
// fixed set and prints the result.

#include <memory>
#include <vector>

// One point to cluster and the index of the class it belongs to (-1: none).
struct TVQPoint {
    std::vector<float> attr;
    int owner_class = 0;
};

// One class: its centre.
struct TVQClass {
    std::vector<float> attr;
};

// An ordered list of owned entries, each with a copy of `dim` values.
template <class Entry>
class TVQ_Collection {
public:
    explicit TVQ_Collection(int dim) : dim(dim) {}

    int get_count() const { return static_cast<int>(entries.size()); }

protected:
    int add(const float *attr) {
        auto entry = std::make_unique<Entry>();
        entry->attr.assign(attr, attr + dim);
        entries.push_back(std::move(entry));
        return get_count();
    }
    Entry *get(int i) const { return i >= 0 && i < get_count() ? entries[static_cast<size_t>(i)].get() : nullptr; }
    void destroy(int i) {
        if (i >= 0 && i < get_count())
            entries.erase(entries.begin() + i);
    }
    void destroy_all() { entries.clear(); }

    int dim = 0;

private:
    std::vector<std::unique_ptr<Entry>> entries;
};

class TVQPoint_Collection : public TVQ_Collection<TVQPoint> {
public:
    using TVQ_Collection::TVQ_Collection;
    int add_point(const float *attr) { return add(attr); }
    TVQPoint *get_point(int i) const { return get(i); }
    void destroy_point(int i) { destroy(i); }
    void destroy_all_points() { destroy_all(); }
};

class TVQClass_Collection : public TVQ_Collection<TVQClass> {
public:
    using TVQ_Collection::TVQ_Collection;
    int add_class(const float *attr) { return add(attr); }
    TVQClass *get_class(int i) const { return get(i); }
    void destroy_class(int i) { destroy(i); }
    void destroy_all_classes() { destroy_all(); }
};

class TVQ {
public:
    // Training ends after this many passes even when centres still move.
    static const int kMaxTrainPasses = 1000;

    explicit TVQ(int dim) : dim(dim), classes(dim), points(dim) {}

    void add_point(const float *attr) { points.add_point(attr); }
    void add_class(const float *attr) { classes.add_class(attr); }
    void add_class() {}

    // Moves the centres until no centre moves by more than 0.9 in a pass, a
    // centre is not finite, or kMaxTrainPasses have run.
    void train();
    // Each point goes to the nearest class; ties go to the class added first.
    void set_point_owners();
    // Each class that owns points moves to their mean; one that owns none
    // keeps its centre.
    void change_class_positions();
    // Euclidean distance over the first `dim` values.
    float get_distance(const float *a, const float *b) const;

    // Trains on twelve fixed points around five classes and prints the
    // owners of the points and the centre of class 1.
    static void test_main();

    int dim = 0;
    bool not_trained = true;
    TVQClass_Collection classes;
    TVQPoint_Collection points;

private:
    bool centres_are_finite() const;
};
