// The control-point reader on arbitrary bytes. Half the inputs are taken as they come: the reader must not
// crash, what it returns must be consistent (a refusal for too many points carries a count above the limit,
// an accepted file only finite BLACK points), and it must equal what fscanf gives read step by step. The other half are
// turned into a text whose meaning is known before it is read: a count written in decimal, octal or hexadecimal, then
// coordinates written in many ways, some not finite, and perhaps a word where a number should be. The expected points
// and refusal follow from that meaning alone, and the reader must give exactly them.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/reader.h"
#include "fuzz/check.h"

namespace {

struct Scanned {
    int status;
    int count;
    std::vector<Point> points;
};

Scanned scan(const std::string& text) {
    std::FILE* file = text.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    CHECK(file != nullptr);
    Point* points = reinterpret_cast<Point*>(1);  // must be overwritten
    Scanned s{};
    s.count = -7777;
    s.status = scanControlPoints(file, points, s.count);
    std::fclose(file);
    CHECK(s.status == readOk || s.status == readTooManyPoints || s.status == readBadCoordinate);
    if (s.status != readOk) {
        CHECK(points == nullptr);
    } else {
        CHECK(points != nullptr);
        for (int i = 0; i < s.count; ++i) s.points.push_back(points[i]);
        std::free(points);
    }
    return s;
}

// What any input must give.
void checkConsistent(const Scanned& s) {
    if (s.status == readTooManyPoints) CHECK(s.count > maxControlPoints);
    if (s.status == readBadCoordinate) CHECK(s.count >= 1 && s.count <= maxControlPoints);
    if (s.status == readOk) {
        CHECK(s.count <= maxControlPoints);
        for (const Point& p : s.points) CHECK(std::isfinite(p.x) && std::isfinite(p.y) && p.color == BLACK);
    }
}

// What fscanf itself makes of any text, read the way the file format is described: a "%li" count (none
// read: zero), then "%f %f" pairs, a pair that fails keeping the previous coordinates, the first coordinate
// that is not finite refusing the file.
Scanned byFscanf(const std::string& text) {
    std::FILE* file = text.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    CHECK(file != nullptr);
    Scanned s{};
    long n = 0;
    if (std::fscanf(file, "%li", &n) != 1) n = 0;
    if (n > maxControlPoints) {
        s.status = readTooManyPoints;
        s.count = n > INT_MAX ? INT_MAX : static_cast<int>(n);
    } else {
        s.status = readOk;
        s.count = n < INT_MIN ? INT_MIN : static_cast<int>(n);
        float x = 0;
        float y = 0;
        for (long i = 0; i < n; ++i) {
            if (std::fscanf(file, "%f", &x) == 1) (void)std::fscanf(file, " %f", &y);
            if (!std::isfinite(x) || !std::isfinite(y)) {
                s.status = readBadCoordinate;
                s.points.clear();
                break;
            }
            s.points.push_back(Point(x, y));
        }
    }
    std::fclose(file);
    return s;
}

void checkSame(const Scanned& got, const Scanned& expected) {
    CHECK(got.status == expected.status);
    CHECK(got.count == expected.count);
    CHECK(got.points.size() == expected.points.size());
    for (size_t i = 0; i < got.points.size(); ++i) {
        CHECK(std::memcmp(&got.points[i].x, &expected.points[i].x, sizeof(float)) == 0);
        CHECK(std::memcmp(&got.points[i].y, &expected.points[i].y, sizeof(float)) == 0);
        CHECK(got.points[i].color == BLACK);
    }
}

const char* const blanks[] = {" ", "\n", "\t", "  \r\n", "\v", "\f"};

std::string blank(FuzzedDataProvider& data) { return blanks[data.ConsumeIntegralInRange<size_t>(0, 5)]; }

// a count with its value, written as "%li" reads it
std::string countText(FuzzedDataProvider& data, long& value) {
    value = data.ConsumeIntegralInRange<long>(-40, 45);
    if (data.ConsumeIntegralInRange(0, 15) == 0) value = data.ConsumeIntegralInRange<long>(-(1L << 40), 1L << 40);
    const unsigned long magnitude =
        value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    const char* sign = value < 0 ? "-" : (data.ConsumeBool() ? "+" : "");
    char buffer[64];
    switch (data.ConsumeIntegralInRange(0, 3)) {
        case 0:
            std::snprintf(buffer, sizeof buffer, "%s%lu", sign, magnitude);
            break;
        case 1:
            std::snprintf(buffer, sizeof buffer, "%s0%lo", sign, magnitude);
            break;  // octal, leading 0
        case 2:
            std::snprintf(buffer, sizeof buffer, "%s0x%lx", sign, magnitude);
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "%s0X%08lX", sign, magnitude);
            break;
    }
    return buffer;
}

// a coordinate as "%f" reads it; its value is what strtof makes of the whole text
std::string coordinateText(FuzzedDataProvider& data) {
    static const char* const special[] = {"nan",          "-NAN",  "inf", "-Infinity", "1e39",
                                          "-3.5e38",      "1e-50", "-0",  "0x1p-149",  "0x1.fffffep127",
                                          "3.4028235e38", ".5",    "7."};
    const float value = data.ConsumeFloatingPoint<float>();
    char buffer[96];
    switch (data.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return special[data.ConsumeIntegralInRange<size_t>(0, 12)];
        case 1:
            std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
            break;
        case 2:
            std::snprintf(buffer, sizeof buffer, "%a", static_cast<double>(value));
            break;
        case 3:
            std::snprintf(buffer, sizeof buffer, "%E", static_cast<double>(value));
            break;
        case 4:
            std::snprintf(buffer, sizeof buffer, "%d", data.ConsumeIntegralInRange(-1000, 1000));
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "%.3f", static_cast<double>(value));
            break;
    }
    return buffer;
}

void structuredCase(FuzzedDataProvider& data) {
    long count = 0;
    std::string text = blank(data) + countText(data, count);
    // the coordinates as written, and where (if anywhere) a word stops the reading
    std::vector<std::string> coordinates;
    const int written = data.ConsumeIntegralInRange(0, 2 * maxControlPoints + 4);
    const int wordAt = data.ConsumeBool() ? data.ConsumeIntegralInRange(0, written) : -1;
    for (int i = 0; i <= written; ++i) {
        if (i == wordAt) {
            text += blank(data) + "x" + std::to_string(i);  // no number begins with x
        }
        if (i == written) break;
        coordinates.push_back(coordinateText(data));
        text += blank(data) + coordinates.back();
    }
    if (data.ConsumeBool()) text += blank(data);

    // what the reader must make of it
    Scanned expected{};
    if (count > maxControlPoints) {
        expected.status = readTooManyPoints;
        expected.count = count > INT_MAX ? INT_MAX : static_cast<int>(count);
    } else {
        expected.status = readOk;
        expected.count = count < INT_MIN ? INT_MIN : static_cast<int>(count);
        float x = 0;
        float y = 0;
        const int readable = wordAt >= 0 ? wordAt : written;  // coordinates before the word or the end
        for (int i = 0; i < expected.count; ++i) {
            if (2 * i < readable) x = std::strtof(coordinates[size_t(2 * i)].c_str(), nullptr);
            if (2 * i + 1 < readable) y = std::strtof(coordinates[size_t(2 * i + 1)].c_str(), nullptr);
            if (!std::isfinite(x) || !std::isfinite(y)) {
                expected.status = readBadCoordinate;
                expected.points.clear();
                break;
            }
            expected.points.push_back(Point(x, y));
        }
    }

    const Scanned got = scan(text);
    checkConsistent(got);
    checkSame(got, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size == 0) {
        checkConsistent(scan(""));
        return 0;
    }
    if (bytes[0] % 2 == 0) {
        const std::string text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
        const Scanned got = scan(text);
        checkConsistent(got);
        checkSame(got, byFscanf(text));
    } else {
        FuzzedDataProvider data(bytes + 1, size - 1);
        structuredCase(data);
    }
    return 0;
}
