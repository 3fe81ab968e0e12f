#!/usr/bin/env bash
# Builds everything and runs every test: once in an optimised build (then the installed package,
# tools/check-package.sh), once under AddressSanitizer and UndefinedBehaviorSanitizer, once under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
# The installed package: an extension library built against it alone, loaded and called by quon-host.
JOBS="$jobs" tools/check-package.sh build

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUON_SANITIZE=ON -DQUON_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# The whole suite again under ThreadSanitizer (clang).
CC=clang CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUON_TSAN=ON -DQUON_BUILD_BENCH=OFF
cmake --build build-tsan -j"$jobs"
ctest --test-dir build-tsan --output-on-failure -j"$jobs" --no-tests=error

# Bounded fuzz runs of the type-string parser and the expression language (clang, libFuzzer, ASan + UBSan), from the seeds.
if echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - 2>/dev/null; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUON_BUILD_FUZZ=ON \
        -DQUON_BUILD_TESTS=OFF -DQUON_BUILD_BENCH=OFF
    cmake --build build-fuzz -j"$jobs" --target quon_type_fuzz quon_expr_fuzz quon_elf_fuzz
    mkdir -p build-fuzz/corpus  # new inputs go here; fuzz/corpus holds the seeds
    build-fuzz/fuzz/quon_type_fuzz -max_total_time=60 -max_len=1024 -print_final_stats=1 \
        build-fuzz/corpus fuzz/corpus
    # The expression language of quon-host eval, with the library loaded (its rows print: fd 1, 2 closed).
    mkdir -p build-fuzz/expr-corpus  # new inputs go here; fuzz/expr-corpus holds the seeds
    build-fuzz/fuzz/quon_expr_fuzz -max_total_time=60 -max_len=256 -close_fd_mask=3 -print_final_stats=1 \
        build-fuzz/expr-corpus fuzz/expr-corpus
    # The host's ELF reader, from a small module's file.
    mkdir -p build-fuzz/elf-corpus  # new inputs go here; fuzz/elf-corpus holds the seeds
    build-fuzz/fuzz/quon_elf_fuzz -max_total_time=60 -print_final_stats=1 build-fuzz/elf-corpus fuzz/elf-corpus
else
    echo "Skipping the fuzz run: clang's libFuzzer runtime is not available."
fi
