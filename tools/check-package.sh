#!/usr/bin/env bash
# Checks the installed QuonExtern package the way an extension author uses it:
#   1. installs a build of this repository into a temporary prefix,
#   2. compiles every installed header against that prefix alone,
#   3. configures and builds examples/hello-extension with find_package(QuonExtern),
#   4. checks that the example exports exactly the global symbols of interface/exports.map, and
#      that the same sources declared with LOAD_ORDER are laid out for loading
#      (tools/check-load-order.sh),
#   5. loads it with the installed quon-host: `list` must show its rows and their derived type
#      strings, and its own cases (hello.cases) must pass,
#   6. runs the installed conformance catalogue with the installed quon-host (its default folder)
#      against the installed library, and against its checked build where it is installed,
#   7. has the installed quon-host read an installed Life pattern by its name.
#
#   tools/check-package.sh [BUILD_DIR [QUON_HOST]]
#
# BUILD_DIR is a configured build directory of this repository (default: a fresh one in the
# temporary directory, without tests and benchmarks); QUON_HOST defaults to the installed quon-host.
# Exits non-zero with a message on the first failure. JOBS sets the build parallelism (default 2).
set -euo pipefail
export LC_ALL=C  # one sort order for the symbol lists
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${JOBS:-2}"

fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}
step() { echo "check-package: $*"; }

work="$(mktemp -d "${TMPDIR:-/tmp}/quon-check-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT

build="${1:-}"
if [[ -z "$build" ]]; then
    build="$work/build"
    step "configuring $build"
    cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUON_BUILD_TESTS=OFF -DQUON_BUILD_BENCH=OFF >/dev/null || fail "configuring $source_dir"
fi
[[ -f "$build/CMakeCache.txt" ]] || fail "$build is not a configured build directory"
build="$(cd "$build" && pwd)"

# What the package installs: the framework's archives, TestExternalLibrary, quon-host, and the
# checked builds of the archives and the library where the build has them.
targets=(quon_runtime quon_extension TestExternalLibrary quon-host)
if cmake --build "$build" --target help | grep -q 'TestExternalLibraryChecked'; then
    targets+=(quon_runtime_checked quon_extension_checked TestExternalLibraryChecked)
fi
step "building ${targets[*]} in $build"
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >/dev/null || fail "building in $build"

prefix="$work/prefix"
step "installing into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install $build"
host="${2:-$prefix/bin/quon-host}"
[[ -x "$host" ]] || fail "no quon-host at $host"

# Every installed header must compile with nothing but the prefix on the include path.
step "compiling the installed headers against the prefix alone"
headers="$work/all-headers.cpp"
(cd "$prefix/include/quon" && find . -name '*.h' | sort | sed 's|^\./\(.*\)|#include "\1"|') >"$headers"
[[ -s "$headers" ]] || fail "no headers installed under $prefix/include/quon"
"${CXX:-c++}" -std=c++20 -fsyntax-only -I"$prefix/include/quon" "$headers" ||
    fail "an installed header does not compile against the prefix (a header it includes is not installed?)"

example="$work/hello-extension"
step "building examples/hello-extension against the prefix"
cmake -S "$source_dir/examples/hello-extension" -B "$example" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null || fail "configuring the example against $prefix"
cmake --build "$example" -j"$jobs" >/dev/null || fail "building the example against $prefix"
library="$example/libHelloExtension.so"
[[ -f "$library" ]] || fail "the example built no $library"
strip -o "$work/stripped.so" "$library"
step "the example is $(($(stat -c %s "$work/stripped.so") / 1024)) KiB stripped"

# The global list of exports.map (C names, and the demangled C++ names in quotes) against the
# defined dynamic symbols, demangled the same way.
step "checking the example's exported symbols against interface/exports.map"
sed -n '/global:/,/local:/p' "$source_dir/interface/exports.map" |
    sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' |
    grep -v -e '^global:' -e '^local:' -e '^extern ' -e '^}' -e '^$' |
    sed -e 's/;$//' -e 's/^"\(.*\)"$/\1/' | sort >"$work/expected-symbols"
nm -D --defined-only -C "$library" | cut -d' ' -f3- | sort >"$work/exported-symbols"
[[ "$(wc -l <"$work/expected-symbols")" -eq 7 ]] ||
    fail "expected seven global names in interface/exports.map, read: $(cat "$work/expected-symbols")"
diff -u "$work/expected-symbols" "$work/exported-symbols" >&2 ||
    fail "$library exports other symbols than interface/exports.map (- expected, + exported)"

# The load-order layout is the author's choice: the same sources, declared with LOAD_ORDER.
step "building the example with LOAD_ORDER and checking its layout for loading"
ordered="$work/ordered"
mkdir -p "$ordered/source"
cat >"$ordered/source/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(HelloOrdered LANGUAGES CXX)
find_package(QuonExtern CONFIG REQUIRED)
quon_add_extension(HelloOrdered LOAD_ORDER "$source_dir/examples/hello-extension/HelloExtension.cpp")
CMAKE
cmake -S "$ordered/source" -B "$ordered/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null || fail "configuring the LOAD_ORDER example against $prefix"
cmake --build "$ordered/build" -j"$jobs" >/dev/null || fail "building the LOAD_ORDER example against $prefix"
"$source_dir/tools/check-load-order.sh" "$ordered/build/libHelloOrdered.so" >/dev/null ||
    fail "quon_add_extension(... LOAD_ORDER) does not lay the example out for loading"
"$host" --library "$ordered/build/libHelloOrdered.so" call gcd 12 18 >/dev/null ||
    fail "the LOAD_ORDER example does not load"

# Rows and their published type strings, as list prints them.
step "listing the example with $host"
"$host" --library "$library" list >"$work/list.txt" 2>&1 || {
    cat "$work/list.txt" >&2
    fail "quon-host list could not load $library"
}
grep -qF 'Library "HelloExtension"' "$work/list.txt" || fail "list does not name HelloExtension"
point='Record[ x: Float, y: Float ]'
while IFS='|' read -r name type; do
    grep -qE "^[[:space:]]+[0-9]+[[:space:]]+$name[[:space:]]" "$work/list.txt" || fail "list shows no row $name"
    grep -qF "published  $type" "$work/list.txt" || fail "list shows no row with the type $type ($name)"
done <<EOF
gcd|( Int * Int -> Int )
hypot|( Float * Float -> Float )
greet|( String -> String )
sumInts|( Array[Int] -> Int )
reverse|( Array[Int] -> Array[Int] )
words|( String -> Array[String] )
midpoint|( $point * $point -> $point )
norm|( $point -> Float )
applyTwice|( ( Int -> Int ) * Int -> Int )
newCounter|( Int -> Counter )
next|( Counter -> Int )
total|( Array[Int] -> Int )
EOF

# The example's own cases (examples/hello-extension/hello.cases), every row with its value, as
# the tutorial tells an author to run them.
step "running the example's cases with $host"
"$host" conform --library "$library" --cases "$source_dir/examples/hello-extension" >"$work/hello.txt" 2>&1 || {
    cat "$work/hello.txt" >&2
    fail "the example's own cases failed"
}

# The step that wraps a C library: examples/zlib-extension against the prefix and Debian's zlib.
step "building examples/zlib-extension against the prefix and running its cases"
cmake -S "$source_dir/examples/zlib-extension" -B "$work/zlib" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null || fail "configuring the zlib example against $prefix"
cmake --build "$work/zlib" -j"$jobs" >/dev/null || fail "building the zlib example against $prefix"
"$host" conform --library "$work/zlib/libZlibExtension.so" --cases "$source_dir/examples/zlib-extension" \
    >"$work/zlib.txt" 2>&1 || {
    cat "$work/zlib.txt" >&2
    fail "the zlib example's own cases failed"
}

# A host built against the prefix from the host reference alone: examples/small-host.
step "building examples/small-host against the prefix and running the catalogue with it"
cmake -S "$source_dir/examples/small-host" -B "$work/small-host" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null || fail "configuring small-host against $prefix"
cmake --build "$work/small-host" -j"$jobs" >/dev/null || fail "building small-host against $prefix"
installedLibrary="$(find "$prefix" -name libTestExternalLibrary.so | head -n 1)"
for strings in "" --library-strings; do
    "$work/small-host/small-host" --library "$installedLibrary" --cases "$prefix/share/quon/conformance" \
        $strings >"$work/small-host.txt" 2>&1 || {
        cat "$work/small-host.txt" >&2
        fail "small-host $strings did not pass the installed catalogue"
    }
done

step "running the installed conformance catalogue with the installed quon-host and library"
[[ -f "$prefix/share/quon/conformance/scalars.cases" ]] || fail "no catalogue under $prefix/share/quon/conformance"
installed="$(find "$prefix" -name libTestExternalLibrary.so | head -n 1)"
[[ -n "$installed" ]] || fail "no libTestExternalLibrary.so installed under $prefix"
builds=("")
[[ -f "${installed%.so}Checked.so" ]] && builds+=(--checked)
for checked in "${builds[@]}"; do
    "$prefix/bin/quon-host" --library "$installed" conform $checked >"$work/conform.txt" 2>&1 || {
        cat "$work/conform.txt" >&2
        fail "the installed quon-host conform $checked failed"
    }
done

step "reading an installed Life pattern by its name with the installed quon-host"
pattern="$prefix/share/quon-host/patterns/flipper.txt"
[[ -f "$pattern" ]] || fail "no Life patterns under $prefix/share/quon-host/patterns"
"$prefix/bin/quon-host" --library "$installed" life --board flipper --frames 1 >"$work/flipper.txt" 2>&1 &&
    cmp -s "$work/flipper.txt" <(cat "$pattern" && echo) || {
    cat "$work/flipper.txt" >&2
    fail "the installed quon-host did not read $pattern by its name"
}
step "OK"
