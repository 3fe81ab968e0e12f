#!/usr/bin/env bash
# Checks that every C++ and CMake snippet of docs/extension-guide.md is taken from the example it
# teaches (examples/hello-extension, and examples/zlib-extension for the step that wraps a C
# library), which the tests build: each snippet's lines, leading and trailing blanks aside, must
# appear as consecutive lines of one example's .cpp file (```cpp) or of its CMakeLists.txt
# (```cmake). Other blocks (```sh, ```text) are not checked.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
guide="$root/docs/extension-guide.md"
example="$root/examples/hello-extension"
zlib="$root/examples/zlib-extension"

awk -v cpp="$example/HelloExtension.cpp" -v cmake="$example/CMakeLists.txt" \
    -v zcpp="$zlib/ZlibExtension.cpp" -v zcmake="$zlib/CMakeLists.txt" '
    function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
    function load(file, lines,    n, line) {
        n = 0
        while ((getline line < file) > 0) lines[++n] = trim(line)
        close(file)
        return n
    }
    # True when snippet lines 1..m appear consecutively among lines 1..n.
    function found(lines, n, snippet, m,    i, j) {
        for (i = 1; i + m - 1 <= n; ++i) {
            for (j = 1; j <= m && lines[i + j - 1] == snippet[j]; ++j) {}
            if (j > m) return 1
        }
        return 0
    }
    BEGIN {
        ncpp = load(cpp, cppLines); ncmake = load(cmake, cmakeLines)
        nzcpp = load(zcpp, zcppLines); nzcmake = load(zcmake, zcmakeLines)
        failed = 0; checked = 0
    }
    /^```(cpp|cmake)[ \t]*$/ { kind = substr($0, 4); kind = trim(kind); m = 0; start = NR; inside = 1; next }
    /^```/ && inside {
        inside = 0; ++checked
        ok = kind == "cpp" ? found(cppLines, ncpp, snippet, m) || found(zcppLines, nzcpp, snippet, m) \
                           : found(cmakeLines, ncmake, snippet, m) || found(zcmakeLines, nzcmake, snippet, m)
        if (!ok) { printf "check-guide: the %s snippet at line %d is not in the example\n", kind, start; failed = 1 }
        next
    }
    inside { snippet[++m] = trim($0) }
    END {
        if (checked == 0) { print "check-guide: no snippets found"; exit 1 }
        if (!failed) printf "check-guide: %d snippets, all from the example\n", checked
        exit failed
    }' "$guide"
