#!/usr/bin/env bash
# Runs a command as nobody, for tests of what the system refuses an ordinary user (a port without
# permission, a port another program holds exclusively): root is refused neither, so run as root
# those tests only skip. Exits 77 (skipped) when not root, since an ordinary user runs them
# directly, and when nobody cannot reach the command (a build under a private home, no setpriv).
# Usage: scripts/as-ordinary-user.sh COMMAND [ARGS...]
set -euo pipefail
[[ $(id -u) -eq 0 ]] || exit 77
command -v setpriv >/dev/null || exit 77
as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
"${as_nobody[@]}" test -x "$1" || exit 77
exec "${as_nobody[@]}" "$@"
