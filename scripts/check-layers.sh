#!/usr/bin/env bash
# Checks the engine's layering on what the compiler really included: every
# engine object's header dependencies (as ninja recorded them from the
# compiler's dependency output) against the order below, and the order
# against the libraries engine/CMakeLists.txt links. Fails on an engine file
# that includes a folder not below its own, Qt, a front end or the texts; on
# a byte that is not ASCII in an engine source (the engine reports values,
# the words are in texts/); and on texts/ including Qt or a front end.
# Usage: scripts/check-layers.sh [BUILD_DIR]   (a built tree; default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

# Each engine folder and the folders it may use (not counting itself).
declare -A may_use=(
  [fs]=""
  [journal]="fs"
  [settings]="fs"
  [list]="fs"
  [marks]="fs"
  [run]="list fs"
  [names]="settings fs"
  [jpeg]="marks names settings fs"
  [meta]="jpeg marks names settings fs"
  [dupes]="marks journal list settings fs"
  [colour]="jpeg marks names settings fs"
  [similar]="meta colour jpeg marks names dupes journal list settings fs"
  [move]="run dupes marks names journal list settings fs"
  [runs]="move run similar meta colour jpeg marks names dupes journal list settings fs"
)

status=0
fail() { echo "check-layers: $*"; status=1; }

# The order against the libraries: the folders a library links, with what
# those link in turn, are exactly the folders the order lets it use.
declare -A links=()
while read -r folder deps; do
  links[$folder]=$(grep -oE 'pictray_[a-z_]+' <<<"$deps" | sed 's/^pictray_//' | tr '\n' ' ' || true)
done < <(tr '\n' ' ' <engine/CMakeLists.txt | grep -oE 'pictray_engine_library\([^)]*\)' |
         sed -E 's/pictray_engine_library\(([a-z_]+)(.*)\)/\1 \2/')
closure() {
  local seen=" " todo=(${links[$1]:-}) f
  while ((${#todo[@]})); do
    f=${todo[0]}; todo=("${todo[@]:1}")
    [[ "$seen" == *" $f "* ]] && continue
    seen+="$f "; todo+=(${links[$f]:-})
  done
  tr ' ' '\n' <<<"$seen" | sed '/^$/d' | sort | tr '\n' ' '
}
for dir in engine/*/; do
  folder=$(basename "$dir")
  [[ -v may_use[$folder] ]] || { fail "engine/$folder has no place in the order; add it here and to engine/CMakeLists.txt"; continue; }
  [[ -v links[$folder] ]] || { fail "engine/$folder is no library of engine/CMakeLists.txt"; continue; }
  want=$(tr ' ' '\n' <<<"${may_use[$folder]}" | sed '/^$/d' | sort | tr '\n' ' ')
  have=$(closure "$folder")
  [[ "$want" == "$have" ]] || fail "engine/$folder may use [${want% }] here but links [${have% }] in engine/CMakeLists.txt"
done

# The includes, as the compiler saw them.
[ -f "$build/build.ninja" ] || { echo "check-layers: no build in $build (build first)"; exit 2; }
deps=$(ninja -C "$build" -t deps 2>/dev/null) || { echo "check-layers: ninja -t deps failed in $build"; exit 2; }
root=$(pwd -P)
allowed=""
for folder in "${!may_use[@]}"; do allowed+="$folder=$folder ${may_use[$folder]};"; done
report=$(awk -v root="$root" -v build="$(cd "$build" && pwd -P)" -v allowed="$allowed" '
  BEGIN {
    n = split(allowed, rules, ";")
    for (i = 1; i <= n; i++) if (rules[i] != "") { split(rules[i], kv, "="); may[kv[1]] = " " kv[2] " " }
  }
  # A path with "." and ".." resolved, made absolute against the build folder.
  function normal(p,   parts, k, m, out, i) {
    if (substr(p, 1, 1) != "/") p = build "/" p
    m = split(p, parts, "/"); k = 0
    for (i = 1; i <= m; i++) {
      if (parts[i] == "" || parts[i] == ".") continue
      if (parts[i] == "..") { if (k > 0) k--; continue }
      out[++k] = parts[i]
    }
    p = ""
    for (i = 1; i <= k; i++) p = p "/" out[i]
    return p
  }
  /^[^ \t].*: #deps/ {
    owner = ""
    if (match($0, /CMakeFiles\/pictray_[a-z_]+\.dir\//)) {
      f = substr($0, RSTART + 19, RLENGTH - 19 - 5)
      if (f in may || f == "texts") { owner = f; checked++ }
    }
    next
  }
  owner == "" { next }
  {
    dep = $1
    if (dep == "") next
    where = owner == "texts" ? "a texts/" : "an engine/" owner
    if (dep ~ /\/qt[56]\/|\/Qt[A-Za-z]+\//) { print where " object includes Qt: " dep; next }
    path = normal(dep)
    if (index(path, root "/") != 1) next  # system headers
    rel = substr(path, length(root) + 2)
    if (rel ~ /^(app|cli|thumbkit|erasekit|tests|bench)\//) { print where " object includes " rel " (a front end)"; next }
    if (owner == "texts") next
    if (rel ~ /^texts\//) { print where " object includes " rel ": words belong to the front ends"; next }
    if (rel ~ /^engine\//) {
      split(rel, seg, "/")
      if (index(may[owner], " " seg[2] " ") == 0) print "an engine/" owner " object includes " rel ", which engine/" owner " may not use"
    }
  }
  END { print "#checked " checked + 0 }
' <<<"$deps" | sort -u)
checked=$(sed -n 's/^#checked //p' <<<"$report")
while IFS= read -r problem; do
  [[ -z "$problem" || "$problem" == "#checked "* ]] || fail "$problem"
done <<<"$report"
((checked > 0)) || fail "no engine object found in $build (is it built?)"
if LC_ALL=C grep -rHnP '[^\x00-\x7F]' engine; then
  fail "engine sources hold bytes that are not ASCII: words belong in texts/"
fi
# Only engine/fs calls the file system, reads the clock or the process's
# environment; everything above goes through its Env, so that tests can
# fail any call. The calls looked for, by name:
fs_calls='open|openat|close|read|pread|write|pwrite|fsync|fdatasync|rename|renameat|renameat2|link|linkat'
fs_calls+='|symlink|symlinkat|readlink|readlinkat|unlink|unlinkat|mkdir|mkdirat|rmdir|stat|fstat|lstat|fstatat'
fs_calls+='|opendir|fdopendir|readdir|closedir|flock|utimensat|futimens|fchmod|fchmodat|chmod|posix_fadvise'
fs_calls+='|realpath|copy_file_range|mkstemp|mkostemp|fopen|fdopen|truncate|ftruncate'
fs_calls+='|pipe|pipe2|time|clock_gettime|gettimeofday|getenv|secure_getenv|system_clock::now'
if grep -rnP "(?<![\w.>:])(::|std::(chrono::)?)?($fs_calls)\s*\(" engine --include='*.h' --include='*.cpp' |
   grep -v '^engine/fs/' | grep -vP '^\S+:\d+:\s*//' |
   grep -vP '\)\s*(const\s*)?override\b'; then  # a library's interface named alike (libexiv2's io): no call
  fail "a file-system, clock or environment call outside engine/fs; go through fs::Env"
fi
# The engine works on the Env it is handed; only the front ends pick one.
# Besides engine/fs, a run's state (its default Env) and engine/meta's
# readers may name the process's own; the list only shrinks.
picks_env='engine/fs/|engine/run/[a-z_]+_state\.h:|engine/meta/'
if grep -rnE 'DefaultEnv\(' engine --include='*.h' --include='*.cpp' | grep -vP '^\S+:\d+:\s*//' |
   grep -vE "^($picks_env)"; then
  fail "the engine picks the file system itself; take the Env from the caller"
fi
# A run reports what happened; the window decides its controls. The
# controls and the window's commands are the front ends' own.
if grep -rnE 'Control::|SendCommand\(' engine --include='*.h' --include='*.cpp' | grep -vP '^\S+:\d+:\s*//'; then
  fail "a run names a window control; report a value through the host and let the window decide"
fi
[ $status -eq 0 ] && echo "check-layers: $checked engine and texts objects include only what the order allows; only engine/fs calls the file system, and only the front ends pick it; no run names a window control"
exit $status
