#!/usr/bin/env bash
# Checks the files the package gives the desktop, in the unpacked package ROOT (SCRATCH is a
# folder to write in): desktop entry, AppStream metadata, manual page, icons, MIME type and
# bash completion.
#
#   check-package-files.sh ROOT SCRATCH
set -euo pipefail
root="$1"
scratch="$2"
share="$root/usr/share"
fail() {
    echo "FAIL: $*"
    exit 1
}

desktop="$share/applications/tovin-catalog.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refused the desktop entry"
for key in 'Exec=tovin-catalog %f' 'MimeType=application/x-tovin-catalogue;' 'Keywords=' \
    'StartupWMClass=tovin-catalog' 'Icon=tovin-catalog'; do
    grep -q "^$key" "$desktop" || fail "the desktop entry lacks $key"
done

metainfo=("$share"/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "the package has no AppStream metainfo file"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli refused the metainfo file"

# The manual page renders without a warning and names every command the program lists.
man_page="$share/man/man1/tovin-catalog.1.gz"
MANWIDTH=80 man --warnings -l "$man_page" >"$scratch/man.txt" 2>"$scratch/man.err" ||
    fail "man could not render the manual page: $(cat "$scratch/man.err")"
[ ! -s "$scratch/man.err" ] || fail "man warned about the manual page: $(cat "$scratch/man.err")"
help="$(env -i PATH="$PATH" HOME="$scratch" QT_QPA_PLATFORM=offscreen "$root/usr/bin/tovin-catalog" --help)"
commands="$(sed -n '/^Commands:/,/^$/p' <<<"$help" | awk 'NR > 1 && NF { print $1 }')"
[ -n "$commands" ] || fail "tovin-catalog --help lists no commands"
for command in $commands; do
    grep -q "^   $command$" "$scratch/man.txt" || fail "the manual page has no section for $command"
done
for section in FILES ENVIRONMENT "EXIT STATUS" COMMANDS; do
    grep -q "^$section" "$scratch/man.txt" || fail "the manual page has no $section section"
done
grep -q "tovin-catalog.conf" "$scratch/man.txt" || fail "the manual page does not name the settings file"

# One icon, in every size the hicolor theme is asked for, each PNG of the size of its folder.
for size in 16 22 24 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x${size}/apps/tovin-catalog.png"
    [ -f "$icon" ] || fail "the package lacks the ${size}x${size} icon"
    # The PNG header holds the width and height as 32-bit numbers at bytes 16 and 20.
    read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$icon is ${width}x$height"
done

# The MIME type, as the desktop's MIME database sees it once the package's file is added.
cp -r "$share/mime" "$scratch/mime"
update-mime-database "$scratch/mime" >/dev/null 2>&1 || fail "update-mime-database refused the MIME file"
grep -q "^50:application/x-tovin-catalogue:\*\.mde$" "$scratch/mime/globs2" ||
    fail "*.mde is not a catalogue in the MIME database: $(cat "$scratch/mime/globs2")"
grep -q "^application/x-tovin-catalogue application/vnd.sqlite3$" "$scratch/mime/subclasses" ||
    fail "the catalogue is no kind of SQLite database in the MIME database"

# The bash completion offers the commands, and each command's own options.
completion="$share/bash-completion/completions/tovin-catalog"
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
             _tovin_catalog; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
}
[ "$(complete_words tovin-catalog imp)" = import ] || fail "completion does not offer import"
complete_words tovin-catalog import --sk | grep -qx -- --skip-discontinued ||
    fail "completion does not offer the options of import"
complete_words tovin-catalog export --db shop.mde --divider t | grep -qx tab ||
    fail "completion does not offer the dividers of export"
echo "the desktop entry, metainfo, manual page, icons, MIME type and completion are in order"
