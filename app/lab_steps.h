// The halving search as the lab shows it, level by level: for every pair of pieces examined, the outlines
// they were tested by and what the search decided.
#pragma once

#include <vector>

#include "geometry/geometry.h"
#include "intersect/intersect.h"

struct SearchStep {
    SearchVisit::Verdict verdict;
    std::vector<Point> hull1;  // the outline each piece was tested by
    std::vector<Point> hull2;
    Point point;  // the point recorded, for verdict recorded
};

// Collects the pairs of one search by level. At most maxStoredSteps pairs are kept, so a search of
// millions of pairs costs bounded memory; the count of all pairs is kept regardless.
class SearchSteps {
public:
    static constexpr long maxStoredSteps = 200000;

    void clear();
    // an observer for intersectCurves, its context a SearchSteps
    static void observe(const SearchVisit& visit, void* context);

    // the pairs examined at a level, 1 for the input curves (empty beyond the deepest)
    const std::vector<SearchStep>& at(int level) const;
    int deepestLevel() const { return static_cast<int>(levels_.size()); }
    long pairs() const { return pairs_; }                // every pair examined, stored or not
    bool truncated() const { return pairs_ > stored_; }  // some pairs were not stored

private:
    std::vector<std::vector<SearchStep>> levels_;
    long pairs_ = 0;
    long stored_ = 0;
};
