#pragma once

#include <cstdio>
#include <string_view>

// The few file operations of the core, one half per system. Paths are UTF-8
// text everywhere; the Windows half converts them to UTF-16 at the system
// call, so a folder that the ANSI code page cannot spell still works.

// Writes bytes to a temporary file beside path, flushes it to disk and only
// then puts it in the place of the old file, keeping its mode. A path that is
// a link is written where the link points, and stays a link. On any failure
// the old file stays whole and the temporary file is removed. Returns whether
// path now holds bytes.
bool WriteFileAtomically(const char* path, std::string_view bytes);

// Removes what a write to path left behind when the program was killed
// midway: only the temporary files of that one name, so run it while the
// single-instance lock is held.
void RemoveStaleTemporaries(const char* path);

// The file opened for reading in binary mode, or null. Only a regular file
// opens: a directory, a FIFO or a device reads as missing, and the open never
// waits (a FIFO's would, for a writer).
std::FILE* OpenFileForReading(const char* path);

// The same for a path in the narrow encoding of the system's own calls: the
// ANSI code page on Windows, in which the settings keep the WAVE file for
// the sound call; UTF-8 elsewhere.
std::FILE* OpenNativePathForReading(const char* path);

// The system's separator between a directory and a name.
extern const char kPathSeparator;

// Creates an empty file when none exists; never touches one that does.
// True when the file exists afterwards.
bool CreateFileIfMissing(const char* path);
