// Small helpers shared by the tests: printing points, scratch folders, the scene's reset and running the
// built program as a process.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "geometry/geometry.h"
#include "scene/scene.h"

inline std::ostream& operator<<(std::ostream& os, const Point& p) {
    return os << "(" << p.x << ", " << p.y << " #" << p.color << ")";
}

inline bool samePosition(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }

// A fresh folder under the system's temporary directory, removed with its contents at the end of scope.
class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/geometrija-test-XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempDir() { (void)std::system(("rm -rf '" + path_ + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(file(name), std::ios::binary) << text;
    }

private:
    std::string path_;
};

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally within the time limit
    std::string out;  // everything written to standard output
    std::string err;  // everything written to standard error
};

inline std::string slurp(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs program in folder with the given arguments; kills it after timeoutSeconds. Its output goes to
// files of its own under the temporary directory, so runs in one folder at the same time (tests of one
// example run in parallel) never mix their output.
inline ProcessResult runProgram(const std::string& program, const std::string& folder,
                                const std::vector<std::string>& args = {}, double timeoutSeconds = 20) {
    TempDir outputs;
    const std::string outFile = outputs.file("stdout");
    const std::string errFile = outputs.file("stderr");
    std::fflush(nullptr);  // nothing buffered may be written twice
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        if (!std::freopen(outFile.c_str(), "w", stdout) || !std::freopen(errFile.c_str(), "w", stderr)) _exit(126);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ProcessResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.out = slurp(outFile);
    result.err = slurp(errFile);
    return result;
}

// Names a parameterised case after its parameter when that is a name itself (an example's folder).
struct ParamName {
    std::string operator()(const ::testing::TestParamInfo<const char*>& info) const { return info.param; }
};

// Names a parameterised case after its row's name field.
struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};
