#!/usr/bin/env bash
# Installs the program's component of the build tree into a scratch prefix
# (nothing is built) and checks it as the desktop and Debian's tools read it.
# Usage: check_install.sh BUILD_DIR WORK_DIR SOURCE_DIR
set -euo pipefail
build=$1 work=$2 source=$3
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
cmake --install "$build" --prefix "$prefix" --component runtime >/dev/null

share=$prefix/share
for f in bin/velmar bin/velmar-xml share/applications/velmar.desktop \
  share/metainfo/com.brandvik.velmar.metainfo.xml share/icons/hicolor/scalable/apps/velmar.svg \
  share/man/man1/velmar.1.gz share/man/man1/velmar-xml.1.gz share/man/man1/velmar-cpuinfo.1.gz \
  share/bash-completion/completions/velmar-xml share/doc/velmar/copyright \
  share/doc/velmar/changelog.gz; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ ! -e "$prefix/include" ] && [ ! -e "$prefix/lib" ] || fail "libraries or headers outside -dev"
if compgen -G "$source/docs/help/*" >/dev/null; then
  [ -d "$share/velmar/help" ] || fail "the help pages are not installed"
fi

# Each PNG is the size its folder names (IHDR's width and height, big-endian).
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/velmar.png
  [ "$(od -An -tx1 -N8 "$png" | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
  got=$(((w1 << 24 | w2 << 16 | w3 << 8 | w4)))x$(((h1 << 24 | h2 << 16 | h3 << 8 | h4)))
  [ "$got" = "${size}x${size}" ] || fail "$png is $got"
done

desktop-file-validate "$share/applications/velmar.desktop"
appstreamcli validate --no-net "$share/metainfo/com.brandvik.velmar.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$share/metainfo/com.brandvik.velmar.metainfo.xml" >&2 ||
  fail "metainfo"
for page in velmar velmar-xml velmar-cpuinfo; do
  warnings=$(gzip -dc "$share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "groff on $page.1: $warnings"
done

completion=$share/bash-completion/completions/velmar-xml
bash -n "$completion"
# What it offers, through the bash-completion library it is written for.
offers() {
  bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _velmar_xml velmar-xml "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"; echo "${COMPREPLY[*]}"' \
    _ "$completion" "$@"
}
[ "$(offers velmar-xml ex)" = "export" ] || fail "completion of a command: '$(offers velmar-xml ex)'"
[ "$(offers velmar-xml format doc.xml -)" = "-o --strict --" ] || fail "completion of format's options"
[ "$(offers velmar-xml get doc.xml -)" = "--strict --" ] || fail "completion of get's options"

"$prefix/bin/velmar-xml" --help | grep -q "velmar-xml check" || fail "installed velmar-xml --help"
echo "installed tree in $prefix checks out"
