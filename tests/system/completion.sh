#!/usr/bin/env bash
# The bash completions as a shell uses them: options after '-', folders
# where a folder is wanted, folders and .bmp files for the operands.
#   completion.sh PROJECT_SOURCE_DIR MAE_CHECK
set -euo pipefail
source_dir=$1
mae_check=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
mkdir sub sub/ann sub/ben
touch a.bmp b.txt C.BMP
. "$source_dir/completion/mae-check"
. "$source_dir/completion/MAE"
failed=0
complete_to() {  # complete_to FUNCTION EXPECTED WORDS...
  local fn=$1 expected=$2
  shift 2
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  "$fn"
  local got=""
  if [ ${#COMPREPLY[@]} -gt 0 ]; then
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
  fi
  if [ "$got" != "$expected" ]; then
    echo "FAILED: $* completes to '$got', expected '$expected'"
    failed=$((failed + 1))
  fi
}
complete_to _mae_check "--class " mae-check --cl
complete_to _mae_check "--max --max-difference --max-pixels " mae-check --max
complete_to _mae_check "C.BMP a.bmp sub " mae-check ""
complete_to _mae_check "sub " mae-check --ans ""
complete_to _mae_check "--only " mae-check --on
complete_to _mae_check "ann ben " mae-check --class sub --only ""
complete_to _mae_check "C.BMP a.bmp b.txt sub " mae-check --csv ""
complete_to _mae "C.BMP a.bmp sub " MAE ""
# Every option --help lists completes, and no other.
options=$("$mae_check" --help | grep -oE '^ +(-[a-z], *)?--[a-z-]+' | sed 's/.*--/--/' | sort |
  tr '\n' ' ')
complete_to _mae_check "$options" mae-check --
complete_to _mae "" MAE a.bmp C.BMP ""
echo "completion: $failed failed"
[ "$failed" -eq 0 ]
