// A recording stand-in for the OpenGL, GLU and freeglut functions the window code calls. Linked instead of
// the real libraries, it writes every call, with its arguments, into a list that tests compare.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace fakegl {

struct Call {
    std::string name;
    std::vector<double> args;  // numeric arguments, exactly as passed (floats widen to double exactly)
    std::string text;          // name and arguments as text, exact for every float and double
};

// Every call since the last reset, in order.
extern std::vector<Call> calls;

// What glutInit, glutDisplayFunc and glutReshapeFunc were given.
extern int* initArgcAddress;
extern char** initArgv;
extern void (*displayCallback)();
extern void (*reshapeCallback)(int, int);

void reset();

// Texts of the arguments: every float and double prints back to the same value.
std::string f(float value);
std::string d(double value);
std::string i(long value);
std::string s(const std::string& value);

// "name(a, b, ...)", as the stand-in records a call.
std::string call(const std::string& name, std::initializer_list<std::string> args = {});

// The recorded calls' texts.
std::vector<std::string> texts();

}  // namespace fakegl
