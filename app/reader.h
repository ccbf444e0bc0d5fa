// Reading a control polygon from a text file: a point count, then that many "x y" pairs.
#pragma once

#include <cstdio>
#include <string>

#include "geometry/geometry.h"

// Outcomes of reading a control-point file.
enum ReadStatus : int {
    readOk = 0,
    readTooManyPoints = 1,  // the count exceeds maxControlPoints
    readBadCoordinate = 2,  // a coordinate is not a finite float ("nan", "inf", or out of float range)
    readCannotOpen = 3,     // the file cannot be opened for reading, or it is a directory
};

// What a scan met that the format reads without complaint but that is almost certainly a mistake. The
// offsets are the stream's positions in bytes (ftell), -1 where there is nothing to mark or the stream
// cannot tell; each one points at the first character that is not white space.
struct ScanNotes {
    long countOffset = -1;       // where the count, or what stands in its place, starts
    bool countMissing = false;   // no count could be read there (or the text ended): zero points
    int pairsRead = 0;           // complete pairs read before the first one that failed
    long failedPairOffset = -1;  // where the first pair that could not be read starts
    bool failedAtEnd = false;    // that pair failed because the text ended before it
    long trailingOffset = -1;    // text after the last pair (after the count when it is zero), never read
};

// Scans a count ("%i" rules: decimal, 0 octal, 0x hexadecimal) and that many "%f %f" pairs from an open
// stream. A count that cannot be read means zero points; a pair that cannot be read repeats the previous
// coordinates ((0, 0) before the first); text that stops a conversion stays unread, so every later pair
// fails too. A count of zero or less reads no pair and is kept as read. On readOk, points is a new
// malloc'd block of max(count, 0) BLACK points owned by the caller; on a refusal points is null and
// nothing stays allocated. With notes not null the scan also marks where it met the unusual (the results
// are the same either way), and looks past the last pair for text that the format leaves unread.
int scanControlPoints(std::FILE* file, Point*& points, int& count, ScanNotes* notes = nullptr);

// Opens fileName as text for reading (fopen "r"). A directory, which fopen opens on some systems although
// it holds no text, is refused like a file that cannot be opened. Null when refused, with error set to the
// reason as an errno value (ENOENT, EACCES, EISDIR, ...).
std::FILE* openControlPointFile(const char* fileName, int& error);

// Reads fileName with openControlPointFile and scanControlPoints and closes it, without ending the process.
// Returns readOk, a refusal of scanControlPoints, or readCannotOpen (then points is null, count 0, and
// openError, when not null, receives the reason as an errno value). On readOk, points is a new malloc'd
// block owned by the caller.
int readControlPointFile(const char* fileName, Point*& points, int& count, int* openError = nullptr);

// The one line (with its line end) that tells the user why fileName was refused with status, or "" for
// readOk: "Greska pri otvaranju datoteke!", or the too-many-points or bad-coordinate line naming fileName.
std::string refusalMessage(int status, const char* fileName);

// Reads fileName into a new array (never released by the program) and returns the count as read.
// A file that readControlPointFile refuses prints its line (refusalMessage) on standard output and ends the
// process with exit status 1.
int readControlPoints(Point*& points, const char* fileName);
