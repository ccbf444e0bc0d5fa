#include "app/lab_steps.h"

#include <cstddef>

void SearchSteps::clear() {
    levels_.clear();
    pairs_ = 0;
    stored_ = 0;
}

void SearchSteps::observe(const SearchVisit& visit, void* context) {
    SearchSteps& steps = *static_cast<SearchSteps*>(context);
    ++steps.pairs_;
    if (steps.stored_ >= maxStoredSteps) return;
    ++steps.stored_;
    const std::size_t level = static_cast<std::size_t>(visit.level);
    if (steps.levels_.size() <= level) steps.levels_.resize(level + 1);
    steps.levels_[level].push_back(
        SearchStep{visit.verdict, std::vector<Point>(visit.outline1, visit.outline1 + visit.m1),
                   std::vector<Point>(visit.outline2, visit.outline2 + visit.m2), visit.point});
}

const std::vector<SearchStep>& SearchSteps::at(int level) const {
    static const std::vector<SearchStep> none;
    if (level < 1 || level > deepestLevel()) return none;
    return levels_[static_cast<std::size_t>(level - 1)];
}
