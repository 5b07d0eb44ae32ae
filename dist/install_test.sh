#!/usr/bin/env bash
# Installs a build into a temporary root and uses the installed programs as a user of
# the package does, from a folder of its own: the example design, the desktop program's
# version, the manual page against --help, the bash completion and the file types.
set -euo pipefail
build=$1 version=$2
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"
unset STROVAN_DATA_DIR

fail() { echo "install test: $*" >&2; exit 1; }

for f in bin/strovan bin/strovan-cli share/strovan/setup/default.stp share/strovan/examples/sale.svz \
         share/strovan/guide/index.md share/strovan/guide/command-reference.md share/strovan/icons/strovan-48.png \
         share/applications/org.strovan.Strovan.desktop share/metainfo/org.strovan.Strovan.metainfo.xml \
         share/mime/packages/org.strovan.Strovan.xml share/icons/hicolor/scalable/apps/org.strovan.Strovan.svg \
         share/icons/hicolor/16x16/apps/org.strovan.Strovan.png share/icons/hicolor/256x256/apps/org.strovan.Strovan.png \
         share/man/man1/strovan.1 share/man/man1/strovan-cli.1 share/bash-completion/completions/strovan-cli; do
  [ -e "$usr/$f" ] || fail "$f is not installed"
done

mkdir "$root/work"
cd "$root/work"
"$usr/bin/strovan-cli" run --example --out run >run.log 2>&1 || { cat run.log >&2; fail "run --example failed"; }
grep -q 'Sale error 9.55 % (target 10 %), estimated cruise cost \$8790\.' run.log ||
  { cat run.log >&2; fail "the example design is not the expected one"; }
[ -s run/sale_field.crz ] && [ -s run/summary.pdf ] || fail "run --example wrote no field file or summary"

[ "$("$usr/bin/strovan" --version)" = "Strovan $version" ] || fail "strovan --version: $("$usr/bin/strovan" --version)"
"$usr/bin/strovan" --help | grep -q -- '--version' || fail "strovan --help lists no --version"

# The manual page shows every option that a command's --help shows.
manual="$(MANWIDTH=200 man -l "$usr/share/man/man1/strovan-cli.1" 2>/dev/null | col -b)"
for cmd in $("$usr/bin/strovan-cli" --help | awk '/^Commands:/{on=1; next} on && /^  [a-z]/{print $1}'); do
  grep -q "^   $cmd\$" <<<"$manual" || fail "the manual has no section for $cmd"
  for opt in $("$usr/bin/strovan-cli" "$cmd" --help | grep -o -- '^  --[a-z0-9-]*'); do
    grep -q -- "$opt" <<<"$manual" || fail "the manual does not show $cmd $opt"
  done
done

# Completion offers the commands, then a command's options.
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _strovan_cli; echo "${COMPREPLY[*]}"' \
    _ "$usr/share/bash-completion/completions/strovan-cli" "$@"
}
[ "$(complete_words strovan-cli desi)" = "design" ] || fail "completion of a command: $(complete_words strovan-cli desi)"
[[ " $(complete_words strovan-cli design x.crz --opt) " == *" --optimize "* ]] || fail "completion of an option"
[ "$(complete_words strovan-cli report x.crz --kind su)" = "summary" ] || fail "completion of a value"

# The file types: a cruise file is recognised as one.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null; then
  mkdir -p "$root/mime/mime/packages"
  cp /usr/share/mime/packages/freedesktop.org.xml "$usr/share/mime/packages/org.strovan.Strovan.xml" \
     "$root/mime/mime/packages/"
  update-mime-database "$root/mime/mime"
  type="$(XDG_DATA_HOME="$root/mime" XDG_DATA_DIRS="$root/mime" gio info -a standard::content-type run/sale.crz |
          sed -n 's/.*content-type: //p')"
  [ "$type" = application/x-strovan-cruise ] || fail "a cruise file is taken for $type"
fi
echo "install test: passed"
