#pragma once

// True when path names a regular file that begins as a RIFF WAVE file does,
// the only kind the sound calls play. Opened without blocking, so a FIFO or
// a device named there costs nothing. The path is in the encoding the
// system's sound call takes.
bool PlayableWaveFile(const char* path);
