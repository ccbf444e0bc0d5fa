#include "app/reader.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>

int scanControlPoints(std::FILE* file, Point*& points, int& count) {
    points = nullptr;
    count = 0;

    // "%li" converts exactly like "%i" but cannot overflow for counts beyond the int range
    long n = 0;
    if (std::fscanf(file, "%li", &n) != 1) n = 0;  // no count at all: zero points
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
    for (int i = 0; i < count; ++i) {
        (void)std::fscanf(file, "%f %f", &x, &y);
        if (!std::isfinite(x) || !std::isfinite(y)) {
            std::free(points);
            points = nullptr;
            return readBadCoordinate;
        }
        new (&points[i]) Point(x, y);
    }
    return readOk;
}

int readControlPointFile(const char* fileName, Point*& points, int& count) {
    points = nullptr;
    count = 0;
    std::FILE* file = std::fopen(fileName, "r");
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
