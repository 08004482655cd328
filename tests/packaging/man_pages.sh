#!/usr/bin/env bash
# Every man page renders with the man macros without a single warning or error, as groff reads
# it and as mandoc lints it (warnings, and the style notes but for long source lines, which
# catch such faults as an example opened inside another).
#   man_pages.sh MAN_DIR
set -u
dir=$1
for tool in groff mandoc; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
shopt -s nullglob
pages=("$dir"/*.1)
[ ${#pages[@]} -gt 0 ] || { echo "FAIL: no man page in $dir" >&2; exit 1; }
failed=0
for page in "${pages[@]}"; do
  report=$(groff -man -ww -z "$page" 2>&1)
  status=$?
  lint=$(mandoc -T lint -W style "$page" 2>&1 | grep -v 'STYLE: input text line longer than 80 bytes')
  if [ "$status" -ne 0 ] || [ -n "$report" ] || [ -n "$lint" ] ||
      ! mandoc -T lint -W warning "$page" >/dev/null 2>&1; then
    echo "FAIL: $page (groff status $status)" >&2
    [ -n "$report" ] && echo "$report" >&2
    [ -n "$lint" ] && echo "$lint" >&2
    failed=1
  else
    echo "ok: $page"
  fi
done
exit $failed
