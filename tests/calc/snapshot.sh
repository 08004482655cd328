#!/bin/sh
# snapshot.sh CASE.args CUPLO_CALC SOURCE_DIR: cuplo-calc run with the arguments of the case
# ($src in them is the source tree), its output compared with CASE.expected byte for byte.
case=$1 calc=$2 src=$3
eval "\"\$calc\" $(cat "$case")" 2>/dev/null | cmp - "${case%.args}.expected"
