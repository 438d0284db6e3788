#!/usr/bin/env bash
# Runs the README's test command on a freshly bootstrapped Debian 12 root, with
# nothing set up but what the command installs itself: proves that
# scripts/setup-debian.sh names every package the build and the tests need.
#
#   sudo bash scripts/fresh-check.sh [--ref REF] [--cache FILE.tar] [--variant V]
#                                    [--mirror URL] [--work DIR] [--keep]
#
#   --ref REF       commit or branch to clone (default: HEAD of this repository)
#   --cache FILE    a tarball of the bootstrapped root: made when missing, unpacked
#                   instead of bootstrapping when present (saves the download)
#   --variant V     debootstrap variant (default: minbase, the barest root)
#   --mirror URL    Debian mirror (default: http://deb.debian.org/debian)
#   --work DIR      where the root is made (default: a new folder under /var/tmp)
#   --keep          leave the root in place afterwards (everything still unmounted)
#   --command CMD   run CMD in the clone instead of the test command (for trying
#                   the set-up itself)
#
# The root never sees the host's /dev or /proc: the few device nodes it needs are
# made with mknod and a fresh proc, devpts and /dev/shm are mounted. Deleting a
# root with the host's /dev bound into it would delete the host's device nodes, so
# the root is deleted only once nothing at all is mounted below it.
set -euo pipefail

ref=HEAD
cache=""
variant=minbase
mirror=http://deb.debian.org/debian
work=""
keep=0
command="bash scripts/test.sh"

usage() { sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --ref) ref=${2:?}; shift 2 ;;
    --cache) cache=${2:?}; shift 2 ;;
    --variant) variant=${2:?}; shift 2 ;;
    --mirror) mirror=${2:?}; shift 2 ;;
    --work) work=${2:?}; shift 2 ;;
    --keep) keep=1; shift ;;
    --command) command=${2:?}; shift 2 ;;
    -h|--help) usage ;;
    *) echo "fresh-check: unknown argument '$1'" >&2; usage ;;
  esac
done

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: must run as root (debootstrap, mknod, mount)" >&2; exit 2; }
command -v debootstrap >/dev/null || { echo "fresh-check: debootstrap is not installed" >&2; exit 2; }

repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse --verify "$ref^{commit}")
[ -n "$cache" ] && cache=$(realpath -m "$cache")

if [ -z "$work" ]; then
  work=$(mktemp -d /var/tmp/kordavina-fresh.XXXXXX)
else
  mkdir -p "$work"
  work=$(realpath "$work")
fi
root="$work/root"
[ -e "$root" ] && { echo "fresh-check: $root already exists" >&2; exit 2; }

# Mount points below the root, deepest first (/proc/mounts escapes blanks as \040).
mounts_below() {
  awk -v r="$root" '{ gsub(/\\040/, " ", $2); if ($2 == r || index($2, r "/") == 1) print $2 }' \
    /proc/mounts | sort -r
}

unmount_all() {
  local m tries
  # Daemons the test command started (cupsd) would hold their mounts busy.
  kill_inside TERM
  sleep 1
  kill_inside KILL
  for tries in 1 2 3 4 5; do
    [ -z "$(mounts_below)" ] && return 0
    while IFS= read -r m; do
      [ -n "$m" ] && umount "$m" 2>/dev/null || true
    done < <(mounts_below)
    kill_inside KILL
    sleep 1
  done
  while IFS= read -r m; do
    [ -n "$m" ] && umount -l "$m" 2>/dev/null || true
  done < <(mounts_below)
  [ -z "$(mounts_below)" ]
}

# Processes whose root is the chroot: only those are ended, by process id.
kill_inside() {
  local p r
  for p in /proc/[0-9]*; do
    r=$(readlink "$p/root" 2>/dev/null) || continue
    if [ "$r" = "$root" ]; then
      kill "-$1" "${p#/proc/}" 2>/dev/null || true
    fi
  done
}

# The root shares the host's network, so a print scheduler of the host's own
# (127.0.0.1:631) would take the root's print jobs and write their output on
# the host, where the root's tests cannot see it. The host's cupsd pauses for
# the run and is started again, as it was, afterwards.
host_cupsd=()
pause_host_cupsd() {
  local p
  for p in $(pgrep -x cupsd); do
    [ "$(readlink "/proc/$p/root")" = / ] || continue
    host_cupsd+=("$(tr '\0' ' ' <"/proc/$p/cmdline")")
    kill -TERM "$p"
    for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    echo "fresh-check: paused the host's cupsd (pid $p) for the run"
  done
}
resume_host_cupsd() {
  local c
  for c in "${host_cupsd[@]}"; do
    $c && echo "fresh-check: started the host's cupsd again ($c)"
  done
  host_cupsd=()
}

cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if ! unmount_all; then
    resume_host_cupsd
    echo "fresh-check: still mounted below $root, NOT deleting it:" >&2
    mounts_below >&2
    exit 1
  fi
  resume_host_cupsd
  if [ "$keep" -eq 1 ]; then
    echo "fresh-check: root kept in $root (nothing mounted)" >&2
  elif [ -d "$work" ]; then
    # --one-file-system: even if a mount slipped past the check, rm stays off it.
    rm -rf --one-file-system "$work"
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

t0=$(date +%s)
if [ -n "$cache" ] && [ -f "$cache" ]; then
  echo "fresh-check: unpacking $cache"
  mkdir -p "$root"
  tar -C "$root" --numeric-owner -xpf "$cache"
else
  echo "fresh-check: bootstrapping Debian 12 ($variant) from $mirror"
  debootstrap --variant="$variant" bookworm "$root" "$mirror"
  # debootstrap unmounts what it mounted; make sure before packing or going on.
  if [ -n "$(mounts_below)" ]; then
    echo "fresh-check: debootstrap left mounts below $root" >&2
    exit 1
  fi
  if [ -n "$cache" ]; then
    mkdir -p "$(dirname "$cache")"
    tar -C "$root" --numeric-owner --exclude=./dev -cpf "$cache.tmp" . && mv "$cache.tmp" "$cache"
    echo "fresh-check: cached the root in $cache"
  fi
fi
t1=$(date +%s)

# Device nodes (not the host's: made here), as debootstrap makes them.
mkdir -p "$root/dev"
node() { [ -e "$root/dev/$1" ] || mknod -m "${5:-666}" "$root/dev/$1" "$2" "$3" "$4"; }
node null c 1 3; node zero c 1 5; node full c 1 7
node random c 1 8; node urandom c 1 9; node tty c 5 0
mkdir -p "$root/dev/pts" "$root/dev/shm"
rm -f "$root/dev/ptmx"; ln -s pts/ptmx "$root/dev/ptmx"
for f in fd:/proc/self/fd stdin:/proc/self/fd/0 stdout:/proc/self/fd/1 stderr:/proc/self/fd/2; do
  ln -sfn "${f#*:}" "$root/dev/${f%%:*}"
done

# Fresh kernel file systems of the root's own; nothing bound from the host.
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"

# Name resolution for apt; the host's file copied, not bound.
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

# A clean clone of the commit, as a fresh checkout would have it.
git clone -q --no-local "$repo" "$root/src/kordavina"
git -C "$root/src/kordavina" checkout -q --detach "$commit"
echo "fresh-check: testing $commit"

pause_host_cupsd
t2=$(date +%s)
log="/var/tmp/kordavina-fresh-$commit.log"
: >"$log"
# Into a file, not a pipe: a daemon the tests start (cupsd) may keep a pipe open.
chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /bin/bash -c "cd /src/kordavina && $command" >"$log" 2>&1 </dev/null &
pid=$!
# Followed in the background: a waiting shell still runs its traps at once.
tail -n +1 --pid="$pid" -F "$log" 2>/dev/null &
set +e
wait "$pid"
status=$?
wait
set -e
t3=$(date +%s)
echo
echo "fresh-check: commit $commit"
echo "fresh-check: log $log"
echo "fresh-check: root ready in $((t1 - t0)) s; '$command' took $((t3 - t2)) s"
if [ "$status" -eq 0 ]; then
  echo "fresh-check: PASSED"
else
  echo "fresh-check: FAILED (exit $status)"
fi
exit "$status"
