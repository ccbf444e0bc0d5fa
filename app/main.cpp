// Reads two control polygons, puts both curves, their meeting points and their hulls into the scene, and
// shows the scene in a window until the window is closed.
#include <cstdio>

#include "app/pipeline.h"
#include "scene/window.h"

int main(int argc, char** argv) {
    // what the start-up sequence built lives as long as the process: the window shows it until the end
    static SceneBuild build;
    buildScene("kriva1.txt", "kriva2.txt", build);
    // a search cut short by its budget is said on standard error; standard output stays for refusals
    std::fputs(searchCutShortLine(build.stats).c_str(), stderr);
    showScene(argc, argv);
}
