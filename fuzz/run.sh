#!/usr/bin/env bash
# Builds the skin loader fuzz target with clang (libFuzzer, AddressSanitizer,
# UBSan) straight from the core and headless sources, writes a seed corpus of
# well-formed skins and fuzzes for a bounded time.
#   FUZZ_SECONDS  run time in seconds (default 20)
#   FUZZ_OUT      build and corpus folder (default build/fuzz)
#   FUZZ_SEED     libFuzzer's random seed (default 1, so runs repeat)
set -euo pipefail
shopt -s nullglob

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${FUZZ_OUT:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-20}
seed=${FUZZ_SEED:-1}
cxx=${CXX_FUZZ:-clang++}

common=(-std=c++17 -g -O1 -Wall -Wextra -I"$root/src" -fno-omit-frame-pointer)
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=undefined)

rm -rf "$out/obj" "$out/seeds" "$out/corpus"
mkdir -p "$out/obj" "$out/seeds" "$out/corpus"

sources=("$root"/src/{shell,tuner,settings,render,panel}/*.cpp "$root"/src/platform/headless/*.cpp)
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} sh -c \
  'f="$1"; shift; exec "$@" -c "$f" -o "'"$out"'/obj/$(echo "$f" | tr / _).o"' _ {} \
  "$cxx" "${common[@]}" "${sanitize[@]}" -fsanitize=fuzzer-no-link

"$cxx" "${common[@]}" "${sanitize[@]}" -fsanitize=fuzzer "$root/fuzz/skin_loader_fuzz.cpp" \
  "$out"/obj/*.o -o "$out/skin_loader_fuzz"
"$cxx" "${common[@]}" -DORVANTA_FUZZ_SEEDS "$root/fuzz/skin_loader_fuzz.cpp" -o "$out/make_seeds"
"$out/make_seeds" "$out/seeds"

"$out/skin_loader_fuzz" -max_total_time="$seconds" -seed="$seed" -max_len=4096 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$out/corpus" "$out/seeds"
