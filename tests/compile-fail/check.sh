#!/usr/bin/env bash
# Builds one source that misuses the binding framework. Passes when the build fails with every
# message the source expects and no other error, so that follow-on errors cannot bury them:
#
#   // expect: TEXT    one line per expected error: TEXT must appear in the compiler's output
#   // shows: TEXT     another text the output must hold (where the error points, say)
#   // link:           the source compiles, and linking it as an extension library must fail
#
#   check.sh CXX SOURCE_DIR CASE [ARCHIVE...]    (the archives an extension links whole)
set -uo pipefail
cxx="$1" source_dir="$2" case="$3"
shift 3
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if grep -q '^// link:' "$case"; then
    "$cxx" -std=c++20 -fPIC -c -I"$source_dir" "$case" -o "$work/case.o" || {
        echo "FAILED: $case should compile and fail only when linked"
        exit 1
    }
    "$cxx" -shared -o "$work/case.so" "$work/case.o" -Wl,--whole-archive "$@" -Wl,--no-whole-archive \
        "$source_dir/interface/describe-library.ld" >"$work/output" 2>&1
else
    "$cxx" -std=c++20 -fsyntax-only -I"$source_dir" "$case" >"$work/output" 2>&1
fi
status=$?
cat "$work/output"
[[ $status -ne 0 ]] || {
    echo "FAILED: $case built, and should not have"
    exit 1
}
grep -E '^// (expect|shows): ' "$case" | sed -E 's@^// (expect|shows): @@' | while IFS= read -r text; do
    grep -qF -- "$text" "$work/output" || {
        echo "FAILED: no message with: $text"
        exit 1
    }
done || exit 1
if ! grep -q '^// link:' "$case"; then
    expected="$(grep -c '^// expect: ' "$case")"
    errors="$(grep -c ' error: ' "$work/output")"
    [[ "$errors" -eq "$expected" ]] || {
        echo "FAILED: $errors errors, expected $expected (follow-on errors?)"
        exit 1
    }
fi
echo "OK: $case fails as expected"
