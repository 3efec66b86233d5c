#!/usr/bin/env bash
# The README's GNU Parallel recipe as written, two local job slots standing in
# for the two machines, and the Slurm array script with the array variables set
# as Slurm sets them: the shards together write every frame once, each file the
# same bytes as one run with --jobs 1.
#   engines.sh BUILT-NUANZA-BATCH SOURCE-TREE
set -euo pipefail
batch=$1 source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/nuanza-engines.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "cli_engines: $*" >&2; exit 1; }
PATH="$(dirname "$batch"):$PATH"
export PATH

mkdir -p "$work/shared/frames" "$HOME/.parallel"
touch "$HOME/.parallel/will-cite"
for i in 1 2 3 4 5 6 7; do
  convert -size 40x24 "gradient:gray$((10 * i))-gray90" -depth 8 "$work/shared/frames/bild$i.tif"
done
convert -size 40x24 gradient:orange-steelblue -depth 8 -type TrueColor "$work/shared/modell.tif"
ls "$work"/shared/frames/*.tif > "$work/list"
nuanza-batch --quiet --jobs 1 --model "$work/shared/modell.tif" --files-from "$work/list" --out "$work/one-run"

# The files of the run with --jobs 1, spread over the folders given, none twice.
same_as_one_run() {
  local what=$1; shift
  local names
  names=$(for folder in "$@"; do ls "$folder"; done | sort)
  [[ "$names" == "$(ls "$work/one-run" | sort)" ]] || fail "$what wrote: $names"
  for folder in "$@"; do
    for file in "$folder"/*; do
      cmp -s "$file" "$work/one-run/$(basename "$file")" || fail "$what: $file differs from the run with --jobs 1"
    done
  done
}

# GNU Parallel: the recipe's lines, with local job slots and the scratch folder.
recipe=$(awk '/^### Many machines: GNU Parallel/ {on = 1} on && /^```sh/ {inside = 1; next}
              inside && /^```/ {exit} inside {print}' "$source/README.md")
[[ "$recipe" == *"--shard {}/2"* ]] || fail "no GNU Parallel recipe in the README"
recipe=${recipe//1\/rechner1,1\/rechner2/2\/:}
recipe=${recipe//\/shared/$work/shared}
bash -c "$recipe" 2> "$work/parallel.log" || { cat "$work/parallel.log" >&2; fail "the recipe failed"; }
same_as_one_run "GNU Parallel" "$work/shared/farbig"
written=$(grep -o '[0-9]* von [0-9]* Bildern geschrieben' "$work/parallel.log" | awk '{n += $1} END {print n}')
[[ $written -eq 7 ]] || fail "the two shards wrote $written frames, not 7"

# Slurm: the script checked for syntax, then each task of --array=1-3 (and of
# an array from 0) run with the variables Slurm gives it.
bash -n "$source/doc/nuanza-batch.sbatch" || fail "the sbatch script has a syntax error"
for first in 1 0; do
  folders=()
  for ((task = first; task < first + 3; ++task)); do
    SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_MIN=$first SLURM_ARRAY_TASK_COUNT=3 \
      bash "$source/doc/nuanza-batch.sbatch" "$work/shared/modell.tif" "$work/list" "$work/slurm$first-$task" 2>/dev/null
    folders+=("$work/slurm$first-$task")
  done
  same_as_one_run "the Slurm array from $first" "${folders[@]}"
done
echo "cli_engines: ok"
