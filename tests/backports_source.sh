#!/bin/sh
# The backports source comes from the first source that serves bookworm, in
# either format apt reads: its mirror, and its key file when it names one.
set -u
script=$1
root=$2/backports-source-samples
rm -rf "$root"
failed=0

# expect NAME EXPECTED: EXPECTED is the line printed, or "" for a failure.
expect() {
    line=$("$script" "$root/$1" 2>/dev/null) || line=""
    if [ "$line" != "$2" ]; then
        echo "$1: got \"$line\", expected \"$2\""
        failed=1
    fi
}

sample() {
    mkdir -p "$root/$1/etc/apt/sources.list.d"
    cat >"$root/$1/etc/apt/$2"
}

sample one-line sources.list <<'END'
# deb file:/srv/old/debian bookworm main
deb-src file:/srv/src/debian bookworm main
deb file:/srv/security bookworm-security main
deb [ arch=amd64 signed-by=/k.gpg ] file:/srv/mirror/debian bookworm main contrib
deb file:/srv/later/debian bookworm main
END
expect one-line "deb [ arch=amd64 signed-by=/k.gpg ] file:/srv/mirror/debian bookworm-backports main"

sample deb822 sources.list.d/b.sources <<'END'
Types: deb
URIs: file:/srv/off/debian
Suites: bookworm
Enabled: no

# the mirror
types: deb-src deb
URIs: file:/srv/mirror/debian file:/srv/second/debian
Suites: bookworm-updates bookworm
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
END
sample deb822 sources.list.d/c.list <<'END'
deb file:/srv/later/debian bookworm main
END
expect deb822 "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] file:/srv/mirror/debian bookworm-backports main"

sample key-not-a-file sources.list.d/debian.sources <<'END'
Types: deb
URIs: file:/srv/mirror/debian
Suites: bookworm
Signed-By: 0123456789ABCDEF0123456789ABCDEF01234567
END
expect key-not-a-file "deb file:/srv/mirror/debian bookworm-backports main"

sample none sources.list <<'END'
deb file:/srv/mirror/debian trixie main
END
sample none sources.list.d/x.list.disabled <<'END'
deb file:/srv/mirror/debian bookworm main
END
expect none ""

[ "$failed" -eq 0 ] && echo "the backports source follows the machine's own"
exit "$failed"
