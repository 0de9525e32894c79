#!/usr/bin/env bash
# Fails when a program imports anything but Windows system DLLs (a MinGW
# runtime DLL, say, would make it fail to start on a clean system).
set -euo pipefail
allowed='^(KERNEL32|USER32|GDI32|SHELL32|COMDLG32|WINMM|ADVAPI32|OLE32|msvcrt)\.dll$'
shopt -s nocasematch  # import names come in either case
status=0
for exe in "$@"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  [ -n "$dlls" ] || { echo "$exe: no import table found"; status=1; }
  for dll in $dlls; do
    if [[ $dll =~ $allowed ]]; then echo "$(basename "$exe"): $dll";
    else echo "$(basename "$exe"): NOT ALLOWED: $dll"; status=1; fi
  done
done
exit $status
