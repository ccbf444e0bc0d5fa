// The lab's model without its window: the search's observer, editing the control polygons, saving and
// reloading them.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/lab_model.h"
#include "app/reader.h"
#include "testing.h"

namespace {

const std::string examples = GEOMETRIJA_EXAMPLES;

std::vector<Point> polygonOf(const std::string& fileName) {
    Point* points = nullptr;
    int count = 0;
    EXPECT_EQ(readControlPointFile(fileName.c_str(), points, count), readOk) << fileName;
    std::vector<Point> polygon(points, points + (count > 0 ? count : 0));
    std::free(points);
    return polygon;
}

// ---------------------------------------------------------------------------------------------------
// The observer

struct ObservedPair {
    std::string name;
    std::vector<Point> first;
    std::vector<Point> second;
};

std::vector<ObservedPair> observedPairs() {
    std::vector<ObservedPair> pairs;
    for (const char* name : {"default", "lines", "apart", "horizontal", "nested", "many", "same", "tall"}) {
        const std::string folder = examples + "/" + name;
        pairs.push_back({name, polygonOf(folder + "/kriva1.txt"), polygonOf(folder + "/kriva2.txt")});
    }
    std::mt19937 random(20261207);
    std::uniform_real_distribution<float> coordinate(-10, 10);
    std::uniform_int_distribution<int> count(2, 10);
    for (int k = 0; k < 40; ++k) {
        ObservedPair pair{"random" + std::to_string(k), {}, {}};
        for (std::vector<Point>* polygon : {&pair.first, &pair.second}) {
            const int n = count(random);
            for (int i = 0; i < n; ++i) polygon->push_back(Point(coordinate(random), coordinate(random)));
        }
        pairs.push_back(pair);
    }
    return pairs;
}

// The pairs the observer sees add up to the search's calls, level by level down to its deepest; the points
// it sees recorded are the search's points, in order; and the search finds the same with it as without.
TEST(LabSearchSteps, ObserverSeesEveryPairAndChangesNothing) {
    for (const ObservedPair& pair : observedPairs()) {
        SCOPED_TRACE(pair.name);
        const int n1 = static_cast<int>(pair.first.size());
        const int n2 = static_cast<int>(pair.second.size());
        std::vector<Point> plain;
        SearchStats plainStats;
        intersectCurves(pair.first.data(), n1, pair.second.data(), n2, plain, 0.01f, &plainStats);

        SearchSteps steps;
        std::vector<Point> observed;
        SearchStats observedStats;
        intersectCurves(pair.first.data(), n1, pair.second.data(), n2, observed, 0.01f, &observedStats,
                        searchCallBudget, SearchSteps::observe, &steps);

        ASSERT_EQ(observed.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i) ASSERT_TRUE(samePosition(observed[i], plain[i])) << i;
        EXPECT_EQ(observedStats.calls, plainStats.calls);
        EXPECT_EQ(steps.pairs(), plainStats.calls);
        ASSERT_FALSE(steps.truncated());
        EXPECT_EQ(steps.deepestLevel(), plainStats.deepestLevel + 1);  // levels count from 1

        long pairs = 0;
        std::vector<Point> recorded;
        for (int level = 1; level <= steps.deepestLevel(); ++level) {
            pairs += static_cast<long>(steps.at(level).size());
            for (const SearchStep& step : steps.at(level)) {
                EXPECT_FALSE(step.hull1.empty());
                EXPECT_FALSE(step.hull2.empty());
                if (step.verdict == SearchVisit::recorded) recorded.push_back(step.point);
            }
        }
        EXPECT_EQ(pairs, plainStats.calls);
        // the points by level, each level in the order found, hold the same points as the search's
        ASSERT_EQ(recorded.size(), plain.size());
        auto byPosition = [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); };
        std::vector<Point> sortedRecorded = recorded;
        std::vector<Point> sortedPlain = plain;
        std::sort(sortedRecorded.begin(), sortedRecorded.end(), byPosition);
        std::sort(sortedPlain.begin(), sortedPlain.end(), byPosition);
        for (size_t i = 0; i < plain.size(); ++i) EXPECT_TRUE(samePosition(sortedRecorded[i], sortedPlain[i])) << i;
        // the first level is the input curves: one pair
        if (steps.deepestLevel() > 0) {
            EXPECT_EQ(steps.at(1).size(), 1u);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Editing

LabModel modelOf(std::vector<Point> first, std::vector<Point> second) {
    LabModel lab;
    lab.curves[0] = std::move(first);
    lab.curves[1] = std::move(second);
    return lab;
}

TEST(LabEditing, NearestControlPointWithinTheRadiusFirstCurveFirst) {
    const LabModel lab = modelOf({{0, 0}, {10, 0}}, {{10, 0}, {5, 5}});
    int curve = -1, index = -1;
    ASSERT_TRUE(nearestControlPoint(lab, 9.5, 0.2, 1.0, curve, index));
    EXPECT_EQ(curve, 0);  // (10, 0) is in both curves: the first curve's wins
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(nearestControlPoint(lab, 5, 4.5, 1.0, curve, index));
    EXPECT_EQ(curve, 1);
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(nearestControlPoint(lab, 5, 2, 1.0, curve, index));
    EXPECT_TRUE(nearestControlPoint(lab, 5, 4, 1.0, curve, index));  // exactly at the radius counts
}

TEST(LabEditing, InsertsOnTheNearestEdgeOfTheNearestPolygon) {
    LabModel lab = modelOf({{0, 0}, {10, 0}, {10, 10}}, {{0, 20}, {10, 20}});
    int curve = -1, index = -1;
    ASSERT_TRUE(insertControlPoint(lab, Point(11, 5), curve, index));
    EXPECT_EQ(curve, 0);
    EXPECT_EQ(index, 2);  // between (10, 0) and (10, 10)
    ASSERT_EQ(lab.curves[0].size(), 4u);
    EXPECT_TRUE(samePosition(lab.curves[0][2], Point(11, 5)));
    ASSERT_TRUE(insertControlPoint(lab, Point(5, 19), curve, index));
    EXPECT_EQ(curve, 1);
    EXPECT_EQ(index, 1);
    // a one-point polygon takes the new point after its point
    LabModel single = modelOf({{100, 100}}, {});
    ASSERT_TRUE(insertControlPoint(single, Point(0, 0), curve, index));
    EXPECT_EQ(index, 1);
    // two empty curves have no edge to insert on
    LabModel empty = modelOf({}, {});
    EXPECT_FALSE(insertControlPoint(empty, Point(0, 0), curve, index));
}

TEST(LabEditing, AtMostTheMaximumCountAndAtLeastOnePoint) {
    std::vector<Point> full;
    for (int i = 0; i < maxControlPoints; ++i) full.push_back(Point(static_cast<float>(i), 0));
    LabModel lab = modelOf(full, {{0, 50}});
    int curve = -1, index = -1;
    EXPECT_FALSE(insertControlPoint(lab, Point(3.5f, 0.1f), curve, index));
    EXPECT_EQ(lab.curves[0].size(), static_cast<size_t>(maxControlPoints));
    EXPECT_TRUE(removeControlPoint(lab, 0, 5));
    EXPECT_TRUE(samePosition(lab.curves[0][5], Point(6, 0)));
    EXPECT_FALSE(removeControlPoint(lab, 1, 0));  // the last point of a curve stays
    EXPECT_EQ(lab.curves[1].size(), 1u);
    EXPECT_FALSE(removeControlPoint(lab, 0, maxControlPoints));  // no such point
}

// ---------------------------------------------------------------------------------------------------
// Saving and reloading

// floats that need all nine digits, the extremes of the range, and negative zero
const std::vector<Point> awkward = {
    {0.1f, -0.3f},        {1.0f / 3.0f, 16777217.0f}, {3.4028235e38f, -3.4028235e38f}, {1.17549435e-38f, 1.4e-45f},
    {-0.0f, 123456.789f}, {2.5f, -7.0e-12f},
};

TEST(LabFiles, SavedCurvesReadBackToTheSameFloats) {
    TempDir dir;
    LabModel lab = modelOf(awkward, {{1, 2}});
    lab.files[0] = dir.file("first.txt");
    lab.files[1] = dir.file("second.txt");
    std::mt19937 random(7);
    std::uniform_int_distribution<unsigned> bits;
    for (int i = 0; i < 20; ++i) {
        // random finite floats of every magnitude
        float value = 0;
        do {
            const unsigned u = bits(random);
            std::memcpy(&value, &u, sizeof value);
        } while (!std::isfinite(value));
        lab.curves[1].push_back(Point(value, -value));
    }
    std::string message;
    ASSERT_TRUE(saveCurves(lab, message)) << message;
    LabModel back;
    back.files[0] = lab.files[0];
    back.files[1] = lab.files[1];
    ASSERT_TRUE(loadCurves(back, message)) << message;
    for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(back.curves[c].size(), lab.curves[c].size());
        for (size_t i = 0; i < lab.curves[c].size(); ++i) {
            EXPECT_EQ(std::memcmp(&back.curves[c][i].x, &lab.curves[c][i].x, sizeof(float)), 0) << c << " " << i;
            EXPECT_EQ(std::memcmp(&back.curves[c][i].y, &lab.curves[c][i].y, sizeof(float)), 0) << c << " " << i;
        }
    }
    // saved files keep the permissions they had
    struct stat status {};
    ASSERT_EQ(stat(lab.files[0].c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
}

// Runs saveCurves as a user who may not write to the folder: as nobody when running as root (root may
// write anywhere), otherwise with the folder made read-only. Returns the message, or "" when it saved.
std::string saveInReadOnlyFolder(const TempDir& dir, const LabModel& lab) {
    const std::string messageFile = dir.file("message");
    { std::ofstream(messageFile) << ""; }
    chmod(messageFile.c_str(), 0666);
    chmod(dir.path().c_str(), 0555);
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        std::string message;
        const bool saved = saveCurves(lab, message);
        std::ofstream(messageFile) << message;
        _exit(saved ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    chmod(dir.path().c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3) << "could not become another user";
    return slurp(messageFile);
}

TEST(LabFiles, AFailedSaveSaysSoAndLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string original = "2\n0 0\n10 8\n";
    dir.write("kriva1.txt", original);
    dir.write("kriva2.txt", "2\n1 9\n9 1\n");
    chmod(dir.file("kriva1.txt").c_str(), 0666);
    LabModel lab;
    lab.files[0] = dir.file("kriva1.txt");
    lab.files[1] = dir.file("kriva2.txt");
    std::string message;
    ASSERT_TRUE(loadCurves(lab, message));
    lab.curves[0][1] = Point(3, 4);

    const std::string failure = saveInReadOnlyFolder(dir, lab);
    EXPECT_NE(failure.find("cannot save " + lab.files[0]), std::string::npos) << failure;
    EXPECT_EQ(slurp(lab.files[0]), original);
    // nothing is left behind beside it
    std::vector<std::string> names;
    if (DIR* folder = opendir(dir.path().c_str())) {
        while (const dirent* entry = readdir(folder)) {
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        }
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"kriva1.txt", "kriva2.txt", "message"}));

    // a target that is a folder cannot be replaced either, and stays a folder
    TempDir other;
    mkdir(other.file("kriva1.txt").c_str(), 0755);
    other.write("kriva2.txt", "1\n0 0\n");
    LabModel folderTarget = lab;
    folderTarget.files[0] = other.file("kriva1.txt");
    folderTarget.files[1] = other.file("kriva2.txt");
    EXPECT_FALSE(saveCurves(folderTarget, message));
    EXPECT_NE(message.find(folderTarget.files[0]), std::string::npos) << message;
    struct stat status {};
    ASSERT_EQ(stat(folderTarget.files[0].c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
}

TEST(LabFiles, ARefusedReloadKeepsTheCurvesAndSaysWhy) {
    TempDir dir;
    dir.write("kriva1.txt", "2\n0 0\n10 8\n");
    dir.write("kriva2.txt", "2\n1 9\n9 1\n");
    LabModel lab;
    lab.files[0] = dir.file("kriva1.txt");
    lab.files[1] = dir.file("kriva2.txt");
    std::string message;
    ASSERT_TRUE(loadCurves(lab, message));
    const std::vector<Point> before = lab.curves[1];

    struct Refusal {
        const char* text;  // the second file's new text, or null to remove it
        std::string message;
    };
    const Refusal refusals[] = {
        {"33\n", "Greska: previse kontrolnih tacaka u datoteci " + lab.files[1] + "!"},
        {"1\nnan 0\n", "Greska: neispravna koordinata u datoteci " + lab.files[1] + "!"},
        {nullptr, "Greska pri otvaranju datoteke!"},
    };
    for (const Refusal& r : refusals) {
        if (r.text != nullptr) {
            dir.write("kriva2.txt", r.text);
        } else {
            std::remove(lab.files[1].c_str());
        }
        EXPECT_FALSE(loadCurves(lab, message));
        EXPECT_EQ(message, r.message);
        ASSERT_EQ(lab.curves[1].size(), before.size());
        EXPECT_TRUE(samePosition(lab.curves[1][1], before[1]));
    }
    // a folder in the file's place opens for reading but is no control-point file
    ASSERT_EQ(mkdir(lab.files[1].c_str(), 0755), 0);
    EXPECT_FALSE(loadCurves(lab, message));
    EXPECT_EQ(message, "Greska pri otvaranju datoteke!");
    EXPECT_EQ(lab.curves[1].size(), before.size());
}

TEST(LabRebuild, BuildsTheProgramsSceneAndTheExactCrossings) {
    LabModel lab;
    lab.files[0] = examples + "/default/kriva1.txt";
    lab.files[1] = examples + "/default/kriva2.txt";
    std::string message;
    ASSERT_TRUE(loadCurves(lab, message));
    SearchSteps steps;
    rebuild(lab, &steps);
    EXPECT_EQ(lab.build.intersections.size(), 3u);
    EXPECT_EQ(lab.build.stats.calls, 113);
    EXPECT_EQ(segments.size(), 998u + 4u + 4u);  // both curves' samples and both hulls
    EXPECT_EQ(points.size(), 3u);
    EXPECT_EQ(lab.exact.crossings.size(), 3u);
    EXPECT_EQ(steps.pairs(), 113);
    // moving a point and building again replaces the scene
    lab.curves[0][0] = Point(0, 20);
    rebuild(lab);
    EXPECT_EQ(segments.size(), 998u + lab.build.hullCount1 + lab.build.hullCount2);
    EXPECT_EQ(points.size(), lab.build.intersections.size());
}

}  // namespace
