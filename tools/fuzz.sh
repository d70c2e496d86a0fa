#!/usr/bin/env bash
# Builds and runs the libFuzzer targets (clang, ASan, UBSan).
#   tools/fuzz.sh build              configure and build build-fuzz/
#   tools/fuzz.sh run TARGET RUNS    run one target for RUNS inputs on its corpus
#   tools/fuzz.sh all [RUNS]         build, then run every target (default 2000
#                                    inputs each; e.g. 'all 1000000' for a long run)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build-fuzz

build() {
    if [ ! -f "$build_dir/build.ninja" ]; then
        CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DUORDANE_FUZZ=ON -DUORDANE_BENCH=OFF \
            -DUORDANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
    fi
    cmake --build "$build_dir" --target fuzz_targets
}

corpus_of() {
    local name=$1
    name=${name#fuzz_}
    name=${name#support_}
    echo "fuzz/corpus/$name"
}

run() {
    local target=$1 runs=$2
    local corpus work
    corpus=$(corpus_of "$target")
    work=$(mktemp -d)
    mkdir "$work/inputs"
    # The seed corpus stays as committed; new inputs go to a scratch folder,
    # apart from the log so that the fuzzer never reads the log as an input.
    if "$build_dir/fuzz/$target" -runs="$runs" -max_len=4096 -rss_limit_mb=4096 \
        -artifact_prefix="$work/" "$work/inputs" "$corpus" >"$work/log" 2>&1; then
        echo "fuzz $target: $runs entradas, 0 fallas"
        rm -rf "$work"
        return 0
    fi
    tail -40 "$work/log"
    echo "fuzz $target: FALLA (entrada guardada en $work)"
    return 1
}

case "${1:-all}" in
build) build ;;
run) run "$2" "${3:-2000}" ;;
all)
    build
    status=0
    for binary in "$build_dir"/fuzz/fuzz_* "$build_dir"/fuzz/support_*; do
        [ -x "$binary" ] || continue
        run "$(basename "$binary")" "${2:-2000}" || status=1
    done
    exit $status
    ;;
*) echo "uso: tools/fuzz.sh build | run TARGET RUNS | all [RUNS]" >&2; exit 2 ;;
esac
