#!/usr/bin/env bash
# The portable code includes no window system: Win32 lives in win32/, and
# only the file-system halves beside their core (*_win.cpp, *_posix.cpp)
# may speak to their system.
set -euo pipefail
cd "$(dirname "$0")/.."
pattern='#[[:space:]]*include[[:space:]]*<(windows|winuser|wingdi|shellapi|shlobj|commdlg|mmsystem|objbase|gtk/[^>]*|gdk/[^>]*|X11/[^>]*)\.h>'
stray=$(grep -rlE "$pattern" settings behaviour render shell --include='*.h' --include='*.cpp' \
  | grep -vE '_(win|posix)\.cpp$' || true)
if [ -n "$stray" ]; then
  echo "window-system headers in portable code:"
  echo "$stray"
  exit 1
fi
echo "portable code is free of window-system headers"
