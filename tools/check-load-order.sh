#!/usr/bin/env bash
# Checks that an extension library was linked with interface/load-order.ld in effect: its read-only
# data comes before its code, and the entry points and the description the host runs at load lie
# at the start of the code, not wherever the default order would put them. Without the script or
# without -ffunction-sections the library still works, but every load costs more page faults,
# which nothing else would notice.
#
#   tools/check-load-order.sh LIBRARY
set -euo pipefail
export LC_ALL=C
library="${1:?usage: check-load-order.sh LIBRARY}"
fail() {
    echo "check-load-order: $library: $*" >&2
    exit 1
}

# Section start, from readelf's table: "[Nr] Name Type Address Off Size ...".
sections="$(readelf -SW "$library")"
symbols="$(nm "$library")"
section() { awk -v name="$1" '$2 == name { print $4; exit } $3 == name { print $5; exit }' <<<"$sections"; }
rodata="$(section .rodata)"
text="$(section .text)"
[[ -n "$rodata" && -n "$text" ]] || fail "no .rodata or .text section"
(( 16#$rodata < 16#$text )) || fail ".rodata (0x$rodata) does not come before .text (0x$text)"

# The load-time code is a few tens of KB; these functions run at every load and must lie in it.
limit=$(( 16#$text + 0x20000 ))
for symbol in BindToParentContext LibraryData _ZN14QUON_ExternLib15DescribeLibraryERNS_14LibraryBuilderE; do
    address="$(awk -v s="$symbol" '$3 == s { print $1; exit }' <<<"$symbols")"
    [[ -n "$address" ]] || fail "no symbol $symbol"
    (( 16#$address < limit )) || fail "$symbol (0x$address) lies outside the load-time code at the start of .text"
done
echo "check-load-order: $library: read-only data, then the load-time code"
