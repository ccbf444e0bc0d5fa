#include "app/reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// skips white space (which every conversion of the format skips anyway) and gives the stream's position
long nextItemOffset(std::FILE* file) {
    (void)std::fscanf(file, " ");
    return std::ftell(file);
}

}  // namespace

int scanControlPoints(std::FILE* file, Point*& points, int& count, ScanNotes* notes) {
    points = nullptr;
    count = 0;

    // "%li" converts exactly like "%i" but cannot overflow for counts beyond the int range
    long n = 0;
    if (notes != nullptr) notes->countOffset = nextItemOffset(file);
    if (std::fscanf(file, "%li", &n) != 1) {
        n = 0;  // no count at all: zero points
        if (notes != nullptr) notes->countMissing = true;
    }
    if (n > maxControlPoints) {
        count = n <= INT_MAX ? static_cast<int>(n) : INT_MAX;
        return readTooManyPoints;
    }
    count = n < INT_MIN ? INT_MIN : static_cast<int>(n);

    const int pointCount = count > 0 ? count : 0;
    points = static_cast<Point*>(std::malloc(sizeof(Point) * static_cast<size_t>(pointCount > 0 ? pointCount : 1)));

    // the coordinates persist from pair to pair, so a pair that fails to convert repeats the previous one
    float x = 0;
    float y = 0;
    bool failed = false;
    for (int i = 0; i < count; ++i) {
        const long pairOffset = notes != nullptr && !failed ? nextItemOffset(file) : -1;
        const int converted = std::fscanf(file, "%f %f", &x, &y);
        if (notes != nullptr && !failed) {
            if (converted == 2) {
                ++notes->pairsRead;
            } else {
                failed = true;
                notes->failedPairOffset = pairOffset;
                notes->failedAtEnd = converted == EOF;
            }
        }
        if (!std::isfinite(x) || !std::isfinite(y)) {
            std::free(points);
            points = nullptr;
            return readBadCoordinate;
        }
        new (&points[i]) Point(x, y);
    }

    // whatever follows the last pair is never part of the curve; look only when asked, and only where the
    // reading did not already stop on it
    if (notes != nullptr && !failed && !notes->countMissing && count >= 0) {
        const long offset = nextItemOffset(file);
        if (std::fgetc(file) != EOF) notes->trailingOffset = offset;
    }
    return readOk;
}

std::FILE* openControlPointFile(const char* fileName, int& error) {
    error = 0;
    std::FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) {
        error = errno;
        return nullptr;
    }
    // a directory opens for reading but reads as nothing: it is no control-point file
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        error = EISDIR;
        return nullptr;
    }
    return file;
}

int readControlPointFile(const char* fileName, Point*& points, int& count, int* openError) {
    points = nullptr;
    count = 0;
    int error = 0;
    std::FILE* file = openControlPointFile(fileName, error);
    if (openError != nullptr) *openError = error;
    if (file == nullptr) return readCannotOpen;
    const int status = scanControlPoints(file, points, count);
    std::fclose(file);
    return status;
}

std::string refusalMessage(int status, const char* fileName) {
    switch (status) {
        case readCannotOpen: return "Greska pri otvaranju datoteke!\n";
        case readTooManyPoints: return std::string("Greska: previse kontrolnih tacaka u datoteci ") + fileName + "!\n";
        case readBadCoordinate: return std::string("Greska: neispravna koordinata u datoteci ") + fileName + "!\n";
        default: return "";
    }
}

int readControlPoints(Point*& points, const char* fileName) {
    int count = 0;
    const int status = readControlPointFile(fileName, points, count);
    if (status != readOk) {
        std::fputs(refusalMessage(status, fileName).c_str(), stdout);
        std::exit(1);
    }
    return count;
}
