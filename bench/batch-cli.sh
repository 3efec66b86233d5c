#!/usr/bin/env bash
# nuanza-batch on whole films, all in one run so the ratios hold however busy the
# machine is: 200 grey 1920 x 1080 JPEG frames and 50 grey 3840 x 2160 TIFF frames,
# each set through
#   - the bare codec work (bench_batch_frames codec: decode, encode a colour frame of
#     the same size, write it as the library writes),
#   - nuanza-batch --jobs 1, 2 and 4,
#   - ImageMagick's colorize composite, one convert per frame, and the same under
#     GNU Parallel -j2,
# then the peak memory of nuanza-batch --jobs 2 on all the 4K frames and on a fifth
# of them (at least four). Figures only, never pass or fail; not part of ctest.
#   bench/batch-cli.sh BUILD-DIR [JPEG-FRAMES [TIFF-FRAMES [RUNS [MAGICK-RUNS]]]]
# BUILD-DIR is a Release build; RUNS (default 3) repetitions give the medians,
# ImageMagick is slow and runs MAGICK-RUNS times (default 1). The frames go to a new
# folder under TMPDIR, removed at the end.
set -euo pipefail
build=$(realpath "$1")
jpeg_frames=${2:-200} tiff_frames=${3:-50} runs=${4:-3} magick_runs=${5:-1}
batch=$build/cli/nuanza-batch helper=$build/bench/bench_batch_frames
# ImageMagick itself, not a wrapper that may stand before it on the PATH.
convert=$(command -v convert-im6.q16 || command -v convert)
work=$(mktemp -d "${TMPDIR:-/tmp}/nuanza-batch-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
exec 3>&2 # for messages from inside command substitutions

# Wall-clock and processor seconds (user + system, children included) of one
# command, its output thrown away; the target folder starts empty.
timed() {
  rm -rf "$work/out"; mkdir -p "$work/out"
  sync
  local TIMEFORMAT='%R %U %S' times
  if ! times=$( { time "$@" >/dev/null 2>"$work/errors"; } 2>&1 ); then
    echo "failed: $*" >&3
    cat "$work/errors" >&3
    return 1
  fi
  awk '{printf "%.3f %.3f\n", $1, $2 + $3}' <<<"$times"
}
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
magick_each() { for f in "$@"; do "$convert" "$f" "$model" -compose colorize -composite "$work/out/${f##*/}"; done; }
magick_parallel() {
  parallel --will-cite -j2 "$convert" {} "$model" -compose colorize -composite "$work/out/{/}" ::: "$@"
}

# The medians of the wall-clock and of the processor seconds; on a machine shared
# with other work the processor seconds show the work itself.
declare -A result cpu
measure() { # name runs command...
  local name=$1 n=$2; shift 2
  local walls=() cpus=() pair
  for ((i = 0; i < n; ++i)); do
    pair=$(timed "$@") || exit 1
    walls+=("${pair% *}") cpus+=("${pair#* }")
  done
  result[$name]=$(median "${walls[@]}") cpu[$name]=$(median "${cpus[@]}")
  printf '  %-10s %8.2f s, processor %8.2f s   (%s)\n' "$name" "${result[$name]}" "${cpu[$name]}" "${walls[*]}"
}

echo "nuanza-batch benchmark on $(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC'); medians of $runs runs, ImageMagick $magick_runs"
for set in "jpg $jpeg_frames 1920 1080" "tif $tiff_frames 3840 2160"; do
  read -r ext count width height <<<"$set"
  mkdir -p "$work/$ext/frames"
  "$helper" make "$ext" "$work/$ext/frames" "$count" "$width" "$height"
  frames=("$work/$ext/frames"/*."$ext")
  model=$work/$ext/model.$ext
  echo "$count grey $width x $height .$ext frames ($(du -sh "$work/$ext/frames" | cut -f1)):"
  measure codec "$runs" "$helper" codec "$work/out" "${frames[@]}"
  for jobs in 1 2 4; do
    measure "jobs$jobs" "$runs" "$batch" --quiet --jobs "$jobs" --model "$model" --out "$work/out" "${frames[@]}"
  done
  measure magick "$magick_runs" magick_each "${frames[@]}"
  measure magick_j2 "$magick_runs" magick_parallel "${frames[@]}"
  r() { awk -v a="${result[$1]}" -v b="${result[$2]}" 'BEGIN {printf "%.2f", a / b}'; }
  echo "  ms/frame --jobs 1: $(awk -v t="${result[jobs1]}" -v n="$count" 'BEGIN {printf "%.1f", 1000 * t / n}')"
  c() { awk -v a="${cpu[$1]}" -v b="${cpu[$2]}" 'BEGIN {printf "%.2f", a / b}'; }
  echo "  --jobs 1 / codec: $(r jobs1 codec) x (processor $(c jobs1 codec) x)"
  echo "  throughput --jobs 2 / --jobs 1: $(r jobs1 jobs2) x, --jobs 4 / --jobs 1: $(r jobs1 jobs4) x" \
       "(processor seconds --jobs 2 / --jobs 1: $(c jobs2 jobs1) x)"
  echo "  convert per frame / --jobs 1: $(r magick jobs1) x   convert -j2 / --jobs 2: $(r magick_j2 jobs2) x   convert -j2 / --jobs 1: $(r magick_j2 jobs1) x"
done

# Peak memory: the largest resident set of --jobs 2 on the 4K frames, for all of
# them and for a fifth (at least four), from GNU time or else from the shell's getrusage.
peak_kb() {
  rm -rf "$work/out"
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f '%M' "$batch" --quiet --jobs 2 --model "$work/tif/model.tif" --out "$work/out" "$@" 2>&1 >/dev/null | tail -n1
  else
    python3 -c 'import resource, subprocess, sys; subprocess.run(sys.argv[1:], check=True); print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' \
      "$batch" --quiet --jobs 2 --model "$work/tif/model.tif" --out "$work/out" "$@"
  fi
}
frames=("$work/tif/frames"/*.tif)
fifth=$(( ${#frames[@]} / 5 > 4 ? ${#frames[@]} / 5 : 4 ))
echo "peak memory of --jobs 2 on 4K frames: ${#frames[@]} frames $(( $(peak_kb "${frames[@]}") / 1024 )) MB," \
     "$fifth frames $(( $(peak_kb "${frames[@]:0:$fifth}") / 1024 )) MB"
