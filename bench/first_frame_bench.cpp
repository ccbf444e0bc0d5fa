// The program's time from start to its first frame: each iteration starts the built program in an example
// folder, with a small library preloaded that ends it right after its first buffer swap and reports the
// moment, and times the span from just before the start to that moment. Needs an X display (DISPLAY),
// such as Xvfb; without one the benchmark reports an error and times nothing.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Starts the program in folder and returns the nanoseconds until its first frame, or -1 when it never came.
long long timeToFirstFrame(const std::string& folder) {
    int report[2];
    if (pipe(report) != 0) return -1;
    const long long start = monotonicNanoseconds();
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        if (chdir(folder.c_str()) != 0) _exit(127);
        setenv("LD_PRELOAD", GEOMETRIJA_FIRST_FRAME_SHIM, 1);
        setenv("GEOMETRIJA_FIRST_FRAME_FD", std::to_string(report[1]).c_str(), 1);
        execl(GEOMETRIJA_BINARY, GEOMETRIJA_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(report[1]);
    if (child < 0) {
        close(report[0]);
        return -1;
    }
    char line[32] = {};
    const ssize_t length = read(report[0], line, sizeof line - 1);
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (length <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::atoll(line) - start;
}

void firstFrame(benchmark::State& state, const char* example) {
    if (std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("no DISPLAY: run under Xvfb (scripts/bench.sh does)");
        return;
    }
    const std::string folder = std::string(GEOMETRIJA_EXAMPLES) + "/" + example;
    for (auto _ : state) {
        const long long elapsed = timeToFirstFrame(folder);
        if (elapsed < 0) {
            state.SkipWithError("the program ended without drawing a frame");
            return;
        }
        state.SetIterationTime(static_cast<double>(elapsed) * 1e-9);
    }
}

BENCHMARK_CAPTURE(firstFrame, default, "default")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(firstFrame, same, "same")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
