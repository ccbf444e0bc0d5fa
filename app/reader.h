// Reading a control polygon from a text file: a point count, then that many "x y" pairs.
#pragma once

#include <cstdio>
#include <string>

#include "geometry/geometry.h"

// Outcomes of scanning a control-point stream, or of reading a file.
enum ReadStatus : int {
    readOk = 0,
    readTooManyPoints = 1,  // the count exceeds maxControlPoints
    readBadCoordinate = 2,  // a coordinate is not a finite float ("nan", "inf", or out of float range)
    readCannotOpen = 3,     // the file cannot be opened for reading
};

// Scans a count ("%i" rules: decimal, 0 octal, 0x hexadecimal) and that many "%f %f" pairs from an open
// stream. A count that cannot be read means zero points; a pair that cannot be read repeats the previous
// coordinates ((0, 0) before the first); text that stops a conversion stays unread, so every later pair
// fails too. A count of zero or less reads no pair and is kept as read. On readOk, points is a new
// malloc'd block of max(count, 0) BLACK points owned by the caller; on a refusal points is null and
// nothing stays allocated.
int scanControlPoints(std::FILE* file, Point*& points, int& count);

// Reads fileName with scanControlPoints without ending the process: readCannotOpen when it cannot be
// opened, else what scanControlPoints says (on readOk, points is a new malloc'd block owned by the caller).
int readControlPointFile(const char* fileName, Point*& points, int& count);

// The one line (with its line end) that tells the user why fileName was refused with status, or "" for
// readOk.
std::string refusalMessage(int status, const char* fileName);

// Reads fileName into a new array (never released by the program) and returns the count as read.
// A file that cannot be opened, or that scanControlPoints refuses, prints one line on standard output
// and ends the process with exit status 1.
int readControlPoints(Point*& points, const char* fileName);
