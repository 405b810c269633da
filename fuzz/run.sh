#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan)
# straight from the core and headless sources, replays the kept regression
# inputs (fuzz/regressions/TARGET) and fuzzes each target for a bounded time
# from its seed corpus:
#   skin_loader     skins made by the seed program in skin_loader_fuzz.cpp
#   settings_store  the files in fuzz/seeds/settings_store
# Usage: fuzz/run.sh [TARGET...]   (default: every target, one after the other)
#   FUZZ_SECONDS  run time per target in seconds (default 20)
#   FUZZ_OUT      build and corpus folder (default build/fuzz)
#   FUZZ_SEED     libFuzzer's random seed (default 1, so runs repeat)
# Inputs that take long (the 1 MB settings file) are picked less often
# (-entropic_scale_per_exec_time), so short runs still cover much; under the
# sanitizers such an input takes seconds, so only a minute counts as a hang.
# A crashing input that libFuzzer writes (crash-*, in FUZZ_OUT/TARGET) is to
# be kept under fuzz/regressions/TARGET once the fault is fixed.
set -euo pipefail
shopt -s nullglob

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${FUZZ_OUT:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-20}
seed=${FUZZ_SEED:-1}
cxx=${CXX_FUZZ:-clang++}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(skin_loader settings_store)

common=(-std=c++17 -g -O1 -Wall -Wextra -I"$root/src" -fno-omit-frame-pointer)
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=undefined)

rm -rf "$out/obj"
mkdir -p "$out/obj"

sources=("$root"/src/{shell,tuner,settings,render,panel}/*.cpp "$root"/src/platform/headless/*.cpp)
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} sh -c \
  'f="$1"; shift; exec "$@" -c "$f" -o "'"$out"'/obj/$(echo "$f" | tr / _).o"' _ {} \
  "$cxx" "${common[@]}" "${sanitize[@]}" -fsanitize=fuzzer-no-link

for target in "${targets[@]}"; do
  source=$root/fuzz/${target}_fuzz.cpp
  [ -f "$source" ] || { echo "no fuzz target $target" >&2; exit 2; }
  work=$out/$target
  rm -rf "$work/seeds" "$work/corpus"
  mkdir -p "$work/seeds" "$work/corpus"
  "$cxx" "${common[@]}" "${sanitize[@]}" -fsanitize=fuzzer "$source" "$out"/obj/*.o -o "$work/fuzz"

  max_len=4096
  case $target in
    skin_loader)
      "$cxx" "${common[@]}" -DORVANTA_FUZZ_SEEDS "$source" -o "$work/make_seeds"
      "$work/make_seeds" "$work/seeds"
      ;;
    *)
      cp "$root/fuzz/seeds/$target"/* "$work/seeds/"
      ;;
  esac

  regressions=("$root/fuzz/regressions/$target"/*)
  if [ ${#regressions[@]} -gt 0 ]; then
    echo "== $target: ${#regressions[@]} regression inputs"
    "$work/fuzz" -runs=1 "${regressions[@]}"
  fi

  echo "== $target: fuzzing for $seconds s"
  (cd "$work" && "$work/fuzz" -max_total_time="$seconds" -seed="$seed" -max_len="$max_len" \
    -timeout=60 -rss_limit_mb=2048 -entropic_scale_per_exec_time=1 -print_final_stats=1 "$work/corpus" "$work/seeds")
done
