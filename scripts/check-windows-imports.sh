#!/usr/bin/env bash
# Checks that Windows programs need nothing beside them: every DLL they
# import must be one that Windows itself provides.
#
#   check-windows-imports.sh PROGRAM.exe ...
set -euo pipefail
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v objdump)
# Windows' own DLLs (msvcrt.dll is the system's C run-time, present in every
# Windows since 2000; the api-ms-win-* sets are the Universal C run-time).
allowed='^(kernel32|user32|gdi32|comdlg32|comctl32|shell32|advapi32|ole32|oleaut32|shlwapi|uxtheme|version|ws2_32|bcrypt|ntdll|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM.exe ..." >&2; exit 64; }
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
  [ -n "$dlls" ] || { echo "$exe: no imports found (not a Windows program?)" >&2; status=1; continue; }
  foreign=$(printf '%s\n' "$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
  if [ -n "$foreign" ]; then
    echo "$exe imports DLLs that Windows does not provide:" $foreign >&2
    status=1
  else
    echo "$exe: imports only" $(printf '%s\n' "$dlls" | sort -fu)
  fi
done
exit $status
