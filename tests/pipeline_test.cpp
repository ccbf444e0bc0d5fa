// The start-up sequence's helpers that the companion command uses: the search's points with repeats merged.
#include "app/pipeline.h"

#include <vector>

#include "testing.h"

namespace {

struct UniqueCase {
    const char* name;
    std::vector<Point> found;
    float tolerance;
    std::vector<Point> kept;
};

const UniqueCase uniqueCases[] = {
    {"Nothing", {}, 0.01f, {}},
    {"OnePoint", {{1, 2}}, 0.01f, {{1, 2}}},
    {"ExactRepeats", {{1, 2}, {1, 2}, {1, 2}}, 0.01f, {{1, 2}}},
    {"NearRepeatsKeepTheFirstFound",
     {{0.501953125f, 0.501953125f}, {0.498046875f, 0.498046875f}},
     0.01f,
     {{0.501953125f, 0.501953125f}}},
    {"FarApartStayInTheirOrder", {{5, 5}, {1, 1}, {3, 3}}, 0.01f, {{5, 5}, {1, 1}, {3, 3}}},
    // the tolerance itself is not closer than the tolerance
    {"JustAtTheTolerance", {{0, 0}, {0.5f, 0}}, 0.5f, {{0, 0}, {0.5f, 0}}},
    {"JustInsideTheTolerance", {{0, 0}, {0.3f, 0.39f}}, 0.5f, {{0, 0}}},
    // a chain: the third is near the second, which was left out, but not near the first
    {"ChainsAreNotFollowed", {{0, 0}, {0.006f, 0}, {0.012f, 0}}, 0.01f, {{0, 0}, {0.012f, 0}}},
    {"InterleavedMeetings", {{1, 1}, {4, 4}, {1.001f, 1}, {4, 4.002f}, {1, 1}}, 0.01f, {{1, 1}, {4, 4}}},
};

class PipelineUnique : public ::testing::TestWithParam<UniqueCase> {};

TEST_P(PipelineUnique, KeepsTheFirstOfPointsCloserThanTheTolerance) {
    const UniqueCase& c = GetParam();
    const std::vector<Point> kept = uniquePoints(c.found, c.tolerance);
    ASSERT_EQ(kept.size(), c.kept.size());
    for (size_t i = 0; i < kept.size(); ++i) EXPECT_TRUE(samePosition(kept[i], c.kept[i])) << i << ": " << kept[i];
}

INSTANTIATE_TEST_SUITE_P(Cases, PipelineUnique, ::testing::ValuesIn(uniqueCases), RowName());

}  // namespace
