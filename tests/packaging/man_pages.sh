#!/usr/bin/env bash
# Every man page renders with the man macros without a single warning or error.
#   man_pages.sh MAN_DIR
set -u
dir=$1
command -v groff >/dev/null || { echo "groff is not installed: skipped"; exit 77; }
shopt -s nullglob
pages=("$dir"/*.1)
[ ${#pages[@]} -gt 0 ] || { echo "FAIL: no man page in $dir" >&2; exit 1; }
failed=0
for page in "${pages[@]}"; do
  report=$(groff -man -ww -z "$page" 2>&1)
  status=$?
  if [ "$status" -ne 0 ] || [ -n "$report" ]; then
    echo "FAIL: $page (groff status $status)" >&2
    echo "$report" >&2
    failed=1
  else
    echo "ok: $page"
  fi
done
exit $failed
