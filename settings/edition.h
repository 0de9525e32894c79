#pragma once

// The two programs built from one source. The core is handed the edition as a
// value so that one test binary covers both.
enum class Edition { Full, Lite };

inline int MaxScale(Edition edition) { return edition == Edition::Lite ? 5 : 10; }
