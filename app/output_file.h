// An output file of the companion command that is written whole or not at all.
#pragma once

#include <cstdio>
#include <string>

// Where a file named on the command line is written. "-" is standard output. An existing file that is
// not a regular one (a device such as /dev/null or /dev/full, a pipe) is written in place. Any other name
// gets a temporary file beside it, which takes the name only once everything was written and flushed,
// so a failure never leaves half a file where a good one was; a symbolic link is followed, and the file
// keeps the permissions of the one it replaces (a new one gets those the umask allows).
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // removes the temporary file of an output not committed

    // Opens name for writing; false, with the reason in error, when it cannot be.
    bool open(const std::string& name, std::string& error);
    std::FILE* stream() const { return stream_; }

    // Flushes and closes the stream and puts the file in place; false, with the reason in error, when any
    // of it (or any write before) failed, and then the target is left as it was.
    bool commit(std::string& error);

private:
    std::FILE* stream_ = nullptr;
    bool standardOutput_ = false;
    std::string target_;     // the name the file takes (a link's target when name was a link)
    std::string temporary_;  // the temporary file beside it, empty when written in place
};

// Flushes standard output; false, with the reason in error, when that or any earlier write to it failed.
bool finishStandardOutput(std::string& error);
