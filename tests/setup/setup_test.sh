#!/usr/bin/env bash
# Plays scripts/setup.sh on made-up machines. dpkg-query, dpkg, apt-get, sudo and id are
# stand-ins first on PATH that answer from a few files, and LULL_SETUP_ROOT is where the
# installed programs lie. On each machine: it installs exactly the packages that were
# missing, adds the i386 architecture only where it is missing, updates apt once, says one
# line before installing and nothing when there is nothing to do.
#   setup_test.sh [SETUP-SCRIPT]
set -euo pipefail
setup=${1:-$(dirname "$0")/../../scripts/setup.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A machine's folder: absent (the packages not installed at the start, '*' for all),
# installed (those apt-get installed since), arches (dpkg's foreign architectures), asked
# (the packages dpkg-query was asked about), log (what changed the machine), and root.
# The archive pairs each program with its package, as the set-up's message names them.
mkdir -p "$work/bin"
cat > "$work/bin/stand-in" << 'STANDIN'
#!/usr/bin/env bash
set -eu
m=$STANDIN_MACHINE
privileged() {
  [ "$STANDIN_UID" -eq 0 ] || [ -n "${SUDO_USER:-}" ] || { echo "$1: not root" >&2; exit 100; }
  echo "$*" >> "$m/log"
}
# The files of the packages given, from the archive, on the machine's disk.
unpack() {
  local package path
  for package in "$@"; do
    awk -v p="$package" '$2 == p {print $1}' "$STANDIN_ARCHIVE" | while read -r path; do
      mkdir -p "$m/root$(dirname "$path")" && touch "$m/root$path"
    done
  done
}
words=()
while [ $# -gt 0 ]; do
  case "$1" in -o) shift ;; -*) ;; *) words+=("$1") ;; esac
  shift
done
case "$(basename "$0") ${words[0]:-}" in
  "id "*) echo "$STANDIN_UID" ;;
  "sudo "*) SUDO_USER=tester exec "${words[@]}" ;;
  "dpkg-query "*)
    status=0
    for name in "${words[@]}"; do
      echo "$name" >> "$m/asked"
      if grep -qxF "$name" "$m/installed" || ! grep -qxF -e "$name" -e '*' "$m/absent"; then
        arch=amd64
        [[ $name != *:* ]] || arch=${name#*:}
        echo "${name%:*} ${name%:*}:$arch ii "
      else
        echo "dpkg-query: no packages found matching $name" >&2
        status=1
      fi
    done
    exit $status
    ;;
  "dpkg ") cat "$m/arches" ;;
  "dpkg i386") privileged add-architecture i386 && echo i386 >> "$m/arches" ;;
  "apt-get update") privileged update ;;
  "apt-get install")
    privileged "${words[@]}"
    printf '%s\n' "${words[@]:1}" >> "$m/installed"
    unpack "${words[@]:1}"
    ;;
  "stand-in unpack") unpack "${words[@]:1}" ;;
  *) echo "stand-in: unexpected $(basename "$0") ${words[*]}" >&2; exit 99 ;;
esac
STANDIN
chmod +x "$work/bin/stand-in"
for name in dpkg-query dpkg apt-get sudo id; do ln -s stand-in "$work/bin/$name"; done
touch "$work/archive"

failures=0
fail() {
  echo "FAIL $machine: $*"
  failures=$((failures + 1))
}

# Makes the machine and runs the set-up on it: its output goes to out, its status to status.
play() {
  local uid=$1 absent=$2 arches=$3 m=$work/$machine
  mkdir -p "$m/root/proc/sys/fs/binfmt_misc"
  # qemu-i386 already registered: the set-up leaves binfmt_misc alone.
  echo enabled > "$m/root/proc/sys/fs/binfmt_misc/qemu-i386"
  tr ' ' '\n' <<< "$absent" > "$m/absent"
  tr ' ' '\n' <<< "$arches" | grep . > "$m/arches" || true
  touch "$m/installed" "$m/asked" "$m/log"
  export STANDIN_MACHINE=$m STANDIN_UID=$uid STANDIN_ARCHIVE=$work/archive
  # shellcheck disable=SC2046 # one package a word
  grep -qxF '*' "$m/absent" ||
    "$work/bin/stand-in" unpack $(awk '{print $2}' "$work/archive" | grep -vxF -f "$m/absent")
  status=0
  PATH="$work/bin:$PATH" LULL_SETUP_ROOT=$m/root bash "$setup" > "$m/out" 2>&1 || status=$?
}

# Every package installed and no program on disk: the set-up must stop with one message
# naming each program with its package. That message is the archive the machines below
# install from (a path with a '*' in it becomes a folder of that name, which the pattern
# matches).
machine=nothing-on-disk
play 0 - i386
[ "$status" -ne 0 ] || fail "exit 0 while every program was missing"
sed -n 's/^  \(.*\) (\(.*\))$/\1 \2/p' "$work/$machine/out" > "$work/archive"
for name in cmake python3 shellcheck i686-w64-mingw32-g++ i686-w64-mingw32-windres \
  i686-w64-mingw32-objdump x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres wine Xvfb \
  convert clang++ libclang_rt.fuzzer; do
  grep -qF "/$name" "$work/archive" || fail "the message does not name $name"
done

# machine      uid   absent at the start          foreign architectures  i386 added
while read -r machine uid absent arches adds; do
  play "$uid" "${absent//,/ }" "${arches/-/}"
  m=$work/$machine
  [ "$status" -eq 0 ] || fail "exit $status: $(cat "$m/out")"
  if [ "$absent" = '*' ]; then
    expected=$(sort -u "$m/asked")
  else
    expected=$(tr ',' '\n' <<< "${absent/-/}" | grep . | sort || true)
  fi
  installed=$(sed -n 's/^install //p' "$m/log" | tr ' ' '\n' | grep . | sort || true)
  [ "$installed" = "$expected" ] ||
    fail "installs [$(xargs <<< "$installed")], not [$(xargs <<< "$expected")]"
  [ "$(grep -c '^add-architecture i386$' "$m/log")" -eq "$adds" ] ||
    fail "adds the i386 architecture $(grep -c '^add-architecture' "$m/log") times, not $adds"
  updates=$(grep -c '^update$' "$m/log" || true)
  count=$(grep -c . <<< "$expected" || true)
  if [ "$count" -eq 0 ]; then
    [ "$updates" -eq 0 ] || fail "updates apt $updates times with nothing to install"
    [ ! -s "$m/out" ] || fail "says something with nothing to do: $(cat "$m/out")"
  else
    [ "$updates" -eq 1 ] || fail "updates apt $updates times, not once"
    if [ "$(wc -l < "$m/out")" -ne 1 ] || ! grep -qw "$count" "$m/out" ||
      ! grep -q 'several minutes' "$m/out"; then
      fail "does not say in one line that $count packages take several minutes: $(head -n 1 "$m/out")"
    fi
  fi
done << 'MACHINES'
fresh          0     *                            -                      1
everything     0     -                            i386                   0
some-missing   0     xvfb,shellcheck,wine32:i386  i386                   0
sudo-user      1000  *                            -                      1
MACHINES

[ "$failures" -eq 0 ] || exit 1
echo "setup: five machines, each as expected"
