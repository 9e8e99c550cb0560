#!/bin/sh
# man_renders.sh PAGE SECTION...: the manual page renders without a warning from man or groff and has the
# sections named. Exit status 77 (skipped) where man is not installed.
command -v man >/dev/null || { echo "man is not installed: skipped"; exit 77; }
page=$1
shift
warnings=$(mktemp)
trap 'rm -f "$warnings"' EXIT
text=$(MANWIDTH=80 man --warnings -l "$page" 2>"$warnings") || { cat "$warnings"; exit 1; }
if [ -s "$warnings" ]; then
    echo "$page renders with warnings:"
    cat "$warnings"
    exit 1
fi
for section in "$@"; do
    printf '%s\n' "$text" | grep -qx "$section" || { echo "$page has no section $section"; exit 1; }
done
echo "$page renders"
