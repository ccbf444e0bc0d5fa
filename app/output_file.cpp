#include "app/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

std::string reason(int error) { return std::strerror(error); }

// the permissions a new file gets from fopen: 0666 less the process's umask
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

OutputFile::~OutputFile() {
    if (stream_ != nullptr && !standardOutput_) std::fclose(stream_);
    if (!temporary_.empty()) std::remove(temporary_.c_str());
}

bool OutputFile::open(const std::string& name, std::string& error) {
    if (name == "-") {
        stream_ = stdout;
        standardOutput_ = true;
        return true;
    }
    target_ = name;
    mode_t mode = newFileMode();
    struct stat info;
    if (lstat(name.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // a link: its target is replaced, not the link itself
        char resolved[PATH_MAX];
        if (realpath(name.c_str(), resolved) != nullptr) target_ = resolved;
    }
    if (stat(target_.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            // a device or a pipe cannot be replaced by renaming, and must not be: write into it
            stream_ = std::fopen(target_.c_str(), "w");
            if (stream_ == nullptr) {
                error = reason(errno);
                return false;
            }
            return true;
        }
        mode = info.st_mode & 07777;
    }
    std::string pattern = target_ + ".XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0) {
        error = reason(errno);
        return false;
    }
    temporary_ = pattern;
    if (fchmod(fd, mode) != 0 || (stream_ = fdopen(fd, "w")) == nullptr) {
        error = reason(errno);
        if (stream_ == nullptr) close(fd);
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (standardOutput_) return finishStandardOutput(error);
    std::FILE* stream = stream_;
    stream_ = nullptr;
    // a write that failed earlier leaves its mark in the error indicator; the last ones fail in the flush
    const bool written = !std::ferror(stream) && std::fflush(stream) == 0;
    const int writeError = errno;
    const bool synced = !written || temporary_.empty() || fsync(fileno(stream)) == 0;
    const int syncError = errno;
    const bool closed = std::fclose(stream) == 0;
    const int closeError = errno;
    if (!written || !synced || !closed) {
        error = reason(!written ? (writeError != 0 ? writeError : EIO) : !synced ? syncError : closeError);
        return false;
    }
    if (!temporary_.empty()) {
        if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            error = reason(errno);
            return false;
        }
        temporary_.clear();
    }
    return true;
}

bool finishStandardOutput(std::string& error) {
    errno = 0;
    const bool failedBefore = std::ferror(stdout) != 0;
    if (std::fflush(stdout) != 0 || failedBefore) {
        error = reason(errno != 0 ? errno : EIO);
        return false;
    }
    return true;
}
