#!/usr/bin/env bash
# End-to-end checks of the built program: command line, exit codes, whole
# output files byte for byte, schema validation, failures that must leave
# earlier outputs alone, and real documentation sites when installed.
#
#   QUILLON=path/to/quillon [SCHEMA=path/to/sitemap.xsd] bash tests/end_to_end.sh
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
QUILLON=${QUILLON:?set QUILLON to the built program}
QUILLON=$(cd "$(dirname "$QUILLON")" && pwd)/$(basename "$QUILLON")
SCHEMA=${SCHEMA:-}
export TZ=UTC LC_ALL=C
WORK=$(mktemp -d)
chmod 755 "$WORK"
trap 'chmod -R u+rwX "$WORK" 2>/dev/null; rm -rf "$WORK"' EXIT

passed=0 failed=0 skipped=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
skip() { skipped=$((skipped + 1)); echo "skip: $*"; }
check() {  # check NAME COMMAND...: passes when the command succeeds
  local name=$1; shift
  if "$@"; then pass; else fail "$name"; fi
}
not() { ! "$@"; }
same_file() { cmp -s "$1" "$2" || { echo "--- $1 differs from $2:"; diff <(od -c "$2") <(od -c "$1") | head -20; return 1; }; }

# run SITE [ARGS...]: runs the program, keeping stdout, stderr and the code.
run() {
  local site=$1; shift
  "$QUILLON" "$site" "$@" >"$WORK/out" 2>"$WORK/err"
  rc=$?
}

# A site of the given pages, all dated 2024-05-01 09:07:05 UTC.
new_site() {
  local dir=$WORK/$1; shift
  rm -rf "$dir"; mkdir -p "$dir"
  while [ $# -ge 2 ]; do
    mkdir -p "$dir/$(dirname "$1")"
    printf '%b' "$2" >"$dir/$1"
    shift 2
  done
  find "$dir" -exec touch -h -d '2024-05-01 09:07:05 UTC' {} +
  echo "$dir"
}

# --- command line --------------------------------------------------------
"$QUILLON" --help >"$WORK/out" 2>&1; rc=$?
check "--help exits 0 with usage" [ $rc = 0 -a -n "$(grep -l '^Usage: quillon' "$WORK/out")" ]
"$QUILLON" -V >"$WORK/out" 2>&1; rc=$?
check "--version" [ $rc = 0 -a "$(cut -d' ' -f1 "$WORK/out")" = quillon ]
"$QUILLON" --bogus >"$WORK/out" 2>"$WORK/err"; rc=$?
check "unknown option exits 2 with usage on stderr" [ $rc = 2 -a ! -s "$WORK/out" -a -n "$(grep -l Usage "$WORK/err")" ]
"$QUILLON" a b >"$WORK/out" 2>"$WORK/err"; rc=$?
check "two arguments exit 2" [ $rc = 2 ]
run "$WORK/no such folder"
check "a SITE_DIR that is no folder: one line naming it, exit 2" \
  [ $rc = 2 -a "$(wc -l <"$WORK/err")" = 1 -a -n "$(grep -F -l 'no such folder' "$WORK/err")" ]

# --- the example site, byte for byte -------------------------------------
site=$WORK/example
cp -r "$HERE/../examples/site" "$site"
rm -f "$site"/sitemap*.xml "$site"/sitemap.txt
find "$site" -exec touch -h -d '2024-05-01 09:07:05 UTC' {} +
run "$site"
check "example: exit 0" [ $rc = 0 ]
check "example: completion message" [ "$(cat "$WORK/out")" = "$(printf 'Done\nhttp://example.org/\nPages: 6')" ]
check "example: nothing on stderr" [ ! -s "$WORK/err" ]
check "example: sitemap.xml" same_file "$site/sitemap.xml" "$HERE/expected/example-sitemap.xml"
check "example: sitemap.txt" same_file "$site/sitemap.txt" "$HERE/expected/example-sitemap.txt"
cp "$site/sitemap.xml" "$WORK/first.xml"; cp "$site/sitemap.txt" "$WORK/first.txt"
run "$site"
check "a second run gives the same bytes" cmp -s "$site/sitemap.xml" "$WORK/first.xml"
check "a second run gives the same link report" cmp -s "$site/sitemap.txt" "$WORK/first.txt"
(cd "$site" && "$QUILLON" >"$WORK/out" 2>&1); rc=$?
check "no argument runs in the current folder" [ $rc = 0 -a -n "$(grep -l example.org "$WORK/out")" ]

# --- the quiet end ----------------------------------------------------------
site=$(new_site quiet "Quillon.ini" "mysite\n" "page.htm" "<a href=x.htm>" "index.htm/x" "")
printf 'old' >"$site/sitemap.xml"
run "$site"
check "no start page: exit 0, nothing printed, nothing written" \
  [ $rc = 0 -a ! -s "$WORK/out" -a ! -s "$WORK/err" -a ! -e "$site/sitemap.txt" -a "$(cat "$site/sitemap.xml")" = old ]

# --- failures ---------------------------------------------------------------
site=$(new_site ro "index.htm" "<a href=a.htm>" "a.htm" "")
printf 'old xml' >"$site/sitemap.xml"; printf 'old txt' >"$site/sitemap.txt"
chmod 444 "$site/sitemap.xml"
run "$site"
check "read-only sitemap.xml: exit 1" [ $rc = 1 ]
check "read-only sitemap.xml: the report" [ "$(sed -n '1p;3,4p' "$WORK/err")" = "$(printf 'Application Error\nCannot create file sitemap.xml.\nFile: sitemap.xml')" ]
check "read-only sitemap.xml: report line 2" grep -qE '^Exception FileCreateError in module quillon at [0-9A-F]{8}\.$' "$WORK/err"
check "read-only sitemap.xml: old outputs intact" [ "$(cat "$site/sitemap.xml")$(cat "$site/sitemap.txt")" = "old xmlold txt" ]
check "read-only sitemap.xml: no temporary file left" [ "$(ls -A "$site" | wc -l)" = 4 ]
check "read-only sitemap.xml: nothing on stdout" [ ! -s "$WORK/out" ]

site=$(new_site full "index.htm" "<a href=a.htm>" "a.htm" "$(head -c 20000 /dev/zero | tr '\0' x)")
printf 'old xml' >"$site/sitemap.xml"
# The messages go through a pipe, which the file size limit does not touch.
(ulimit -f 0; exec "$QUILLON" "$site") 2>&1 | cat >"$WORK/err"; rc=${PIPESTATUS[0]}
check "a disk that fills: exit 1, Stream write error" [ $rc = 1 -a -n "$(grep -l 'Stream write error' "$WORK/err")" ] 2>/dev/null
check "a disk that fills: the old sitemap stays" [ "$(cat "$site/sitemap.xml")" = "old xml" -a ! -e "$site/sitemap.txt" ]
check "a disk that fills: no temporary file left" [ "$(ls -A "$site" | wc -l)" = 3 ]

site=$(new_site closed "index.htm" "")
"$QUILLON" "$site" >&- 2>"$WORK/err"; rc=$?
check "closed standard output: files written, exit 1" [ $rc = 1 -a -s "$site/sitemap.xml" -a -s "$site/sitemap.txt" ]

# An unreadable page, as an unprivileged user (root reads everything). The
# program is copied where that user can run it, whatever folder CI uses.
as_user() { "$@"; }
if [ "$(id -u)" = 0 ]; then
  if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    mkdir -p "$WORK/bin" && cp "$QUILLON" "$WORK/bin/quillon" && chmod 755 "$WORK/bin/quillon"
    as_user() { shift; setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups "$WORK/bin/quillon" "$@"; }
  else
    as_user() { return 99; }
  fi
fi
# run_unprivileged SITE: runs the program on SITE as that user (rc 99: no way).
run_unprivileged() {
  [ "$(id -u)" = 0 ] && chown -R nobody "$1"
  as_user "$QUILLON" "$1" >"$WORK/out" 2>"$WORK/err"; rc=$?
}
site=$(new_site locked "index.htm" "<a href=Locked.htm>" "Locked.htm" "secret")
printf 'old xml' >"$site/sitemap.xml"
chmod 000 "$site/Locked.htm"
run_unprivileged "$site"
if [ $rc = 99 ]; then
  skip "unreadable page: no way to run as an unprivileged user"
else
  check "unreadable page: exit 1 naming the file" [ $rc = 1 -a "$(sed -n '3,4p' "$WORK/err")" = "$(printf 'File access denied.\nFile: Locked.htm')" ]
  check "unreadable page: old sitemap stays" [ "$(cat "$site/sitemap.xml")" = "old xml" -a ! -e "$site/sitemap.txt" ]
fi

# --- awkward names and markup, validated against the schema ----------------
site=$(new_site names \
  "Quillon.ini" "http://example.org/a&b\ndaily\n" \
  "index.html" "<a href=\"Tom &amp; Jerry.htm\"><a href='it&apos;s.htm'><a href=\"Visual%20Studio.html\">\n<a href=\"caf\xc3\xa9.html\"><a href=\"\xcf\xf0\xe8.htm\"><a href=\"q%3Fx.htm\">" \
  "Tom & Jerry.htm" "" "it's.htm" "" "Visual Studio.html" "" $'caf\xc3\xa9.html' "" $'\xcf\xf0\xe8.htm' "" "q?x.htm" "")
run "$site"
check "awkward names: all 7 pages" [ $rc = 0 -a "$(tail -n1 "$WORK/out")" = "Pages: 7" ]
check "awkward names: locations" [ "$(grep -c '<loc>http://example.org/a&amp;b/' "$site/sitemap.xml")" = 7 ]
check "awkward names: escaped and encoded" grep -q '<loc>http://example.org/a&amp;b/tom%20&amp;%20jerry.htm</loc>' "$site/sitemap.xml"
check "awkward names: Windows-1251 bytes percent-encoded" grep -q '/%EF%F0%E8.htm<' "$site/sitemap.xml"
check "awkward names: UTF-8 kept whole" grep -q '/caf%C3%A9.html<' "$site/sitemap.xml"
check "awkward names: link report keeps the bytes" grep -q "^it's.htm" "$site/sitemap.txt"
if command -v xmllint >/dev/null && [ -n "$SCHEMA" ] && [ -f "$SCHEMA" ]; then
  for f in "$WORK/first.xml" "$site/sitemap.xml"; do
    check "schema-valid: $f" xmllint --noout --schema "$SCHEMA" "$f" 2>/dev/null
  done
  site=$(new_site freq "Quillon.ini" "mysite\nsometimes\n" "index.htm" "")
  run "$site"
  check "unknown change frequency: warned, written anyway" [ $rc = 0 -a -n "$(grep -l sometimes "$WORK/err")" -a -n "$(grep -l '<changefreq>sometimes<' "$site/sitemap.xml")" ]
  check "unknown change frequency: well-formed but not schema-valid" xmllint --noout "$site/sitemap.xml"
  check "unknown change frequency: the schema refuses it" not xmllint --noout --schema "$SCHEMA" "$site/sitemap.xml" 2>/dev/null
else
  skip "schema checks: no xmllint or no sitemap.xsd (SCHEMA=$SCHEMA)"
fi

# --- hostile folders ---------------------------------------------------------
site=$(new_site hostile "index.htm" "<a href=fifo.htm><a href=sock.htm><a href=dir.htm><a href=loop/loop/loop/index.htm><a href=up/secret.htm><a href=../../etc/passwd>")
mkfifo "$site/fifo.htm"; mkdir "$site/dir.htm"; ln -s . "$site/loop"; ln -s .. "$site/up"
python3 -c "import socket,sys; s=socket.socket(socket.AF_UNIX); s.bind(sys.argv[1])" "$site/sock.htm" 2>/dev/null
printf '<a href=up/index.htm>' >"$WORK/secret.htm"
timeout 20 "$QUILLON" "$site" >"$WORK/out" 2>"$WORK/err"; rc=$?
check "FIFO, socket, folder and looping links: no hang, exit 0" [ $rc = 0 ]
pages_found() { awk 'f{print} /^\r$/{c++; if(c==2) f=1}' "$1" | tr -d '\r'; }
# The folder that links to itself nests until paths pass 259 bytes.
check "hostile: the looping folder ends at the path limit" [ "$(pages_found "$site/sitemap.txt" | wc -l)" = 14 ]
check "hostile: special files are missing targets" grep -q '^404 > sock.htm' "$site/sitemap.txt"
check "hostile: nothing read outside the site" not grep -q 'up\\index.htm' <(pages_found "$site/sitemap.txt")

# --- bad input: data, never a failure ------------------------------------------
site=$(new_site bad "index.htm" "<a href=bin.htm><a href=big.htm><a href=many.htm><a href=long.htm><a href=nul.htm>")
head -c 300000 /dev/urandom >"$site/bin.htm"                     # a binary file named .htm
python3 - "$site" <<'PY'
import sys
site = sys.argv[1]
# A 50 MB page on one line, with a link at each end.
with open(site + "/big.htm", "wb") as f:
    f.write(b'<a href="first.htm">' + b"x" * (50 << 20) + b'<a href="last.htm">')
# 100,000 anchors, each to a different missing page.
with open(site + "/many.htm", "wb") as f:
    f.write(b"".join(b'<a href="m%d.htm">' % i for i in range(100000)))
# An href of 1 MB, and one that never closes.
with open(site + "/long.htm", "wb") as f:
    f.write(b'<a href="' + b"y" * (1 << 20) + b'.htm"> <a href="' + b"z" * 1000)
# NUL bytes in an href and, escaped, in a file name.
with open(site + "/nul.htm", "wb") as f:
    f.write(b'<a href="a\0b.htm"> <a href="c%00d.htm"> <a href="\0">')
PY
find "$site" -exec touch -h -d '2024-05-01 09:07:05 UTC' {} +
timeout 120 "$QUILLON" "$site" >"$WORK/out" 2>"$WORK/err"; rc=$?
check "bad input: exit 0, nothing on stderr" [ $rc = 0 -a ! -s "$WORK/err" ]
check "bad input: all six pages" [ "$(tail -n1 "$WORK/out")" = "Pages: 6" ]
check "bad input: both ends of the 50 MB line" [ "$(grep -c -a -E '^404 > (first|last)\.htm' "$site/sitemap.txt")" = 2 ]
check "bad input: 100,000 anchors" [ "$(grep -c -a '^404 > m[0-9]*\.htm' "$site/sitemap.txt")" = 100000 ]
check "bad input: the 1 MB href is a missing target" [ "$(grep -a -c "^404 > $(printf 'y%.0s' $(seq 1 50))" "$site/sitemap.txt")" = 1 ]
check "bad input: NUL bytes kept in the report" python3 -c "import sys; t = open(sys.argv[1], 'rb').read(); sys.exit(not (b'404 > a\\0b.htm\\r\\n' in t and b'404 > c\\0d.htm\\r\\n' in t))" "$site/sitemap.txt"
check "bad input: sitemap.xml well-formed" xmllint --noout "$site/sitemap.xml"

# --- the site folder read-only (as an unprivileged user: root writes anyway) ----
site=$(new_site rodir "index.htm" "")
printf 'old xml' >"$site/sitemap.xml"
chmod 555 "$site"
run_unprivileged "$site"
if [ $rc = 99 ]; then
  skip "read-only site folder: no way to run as an unprivileged user"
else
  check "read-only site folder: exit 1, Cannot create file" [ $rc = 1 -a "$(sed -n 3p "$WORK/err")" = "Cannot create file sitemap.xml." ]
  check "read-only site folder: old sitemap stays" [ "$(cat "$site/sitemap.xml")" = "old xml" -a ! -e "$site/sitemap.txt" ]
fi
chmod 755 "$site"

# --- real documentation sites -------------------------------------------------
real_site() {  # real_site NAME SOURCE PAGES ENTRY...
  local name=$1 src=$2 pages=$3; shift 3
  if [ ! -d "$src" ]; then skip "$name: $src is not installed"; return; fi
  cp -r "$src" "$WORK/$name"
  run "$WORK/$name"
  check "$name: exit 0 and $pages pages" [ $rc = 0 -a "$(tail -n1 "$WORK/out")" = "Pages: $pages" ]
  for entry in "$@"; do
    check "$name: sitemap.txt holds '$entry'" grep -qxF "$entry"$'\r' "$WORK/$name/sitemap.txt"
  done
  if command -v xmllint >/dev/null && [ -f "$SCHEMA" ]; then
    check "$name: schema-valid" xmllint --noout --schema "$SCHEMA" "$WORK/$name/sitemap.xml" 2>/dev/null
  fi
}
real_site nodejs /usr/share/doc/nodejs/api 64 \
  "index.html" "documentation.html" "404 > addons.json" \
  "404 > https://github.com/nodejs/node" "timers.html"
real_site sqlite /usr/share/doc/sqlite3 757 \
  "index.html" "about.html" "c3ref\\intro.html" "lang_select.html" \
  "404 > c3ref\\value_encoding.html" "404 > javascript:void(0)"

echo "end to end: $passed passed, $failed failed, $skipped skipped"
[ $failed = 0 ]
