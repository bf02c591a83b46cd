#!/bin/sh
# Prints the apt source line for Debian 12's backports, taken from the first
# source of this machine that serves bookworm: the same mirror (a local one
# or a proxy included) and the same signing key. Reads ROOT/etc/apt (ROOT is
# the first argument, empty for this machine): sources.list, then the *.list
# and *.sources files of sources.list.d in name order, as apt reads them.
# Fails when no source serves bookworm.
set -eu
apt_dir=${1:-}/etc/apt

for file in "$apt_dir/sources.list" "$apt_dir"/sources.list.d/*; do
    case $file in
        *.list) format=one-line ;;
        *.sources) format=deb822 ;;
        *) continue ;;
    esac
    [ -f "$file" ] || continue
    # One-line: "deb [options] URI suite components". deb822: stanzas of
    # Types, URIs, Suites, Enabled and Signed-By fields (a key file is
    # carried over, a key given inline or by fingerprint is not).
    line=$(awk -v format="$format" '
        function words(text, list) { return split(text, list, /[ \t]+/) }
        function has(text, word,    list, n, i) {
            n = words(text, list)
            for (i = 1; i <= n; i++) if (list[i] == word) return 1
            return 0
        }
        function stanza(    uri) {
            if (has(types, "deb") && has(suites, "bookworm") && tolower(enabled) != "no" && uris != "") {
                words(uris, uri)
                print "deb " (key ~ /^\// ? "[signed-by=" key "] " : "") uri[1] " bookworm-backports main"
                found = 1
                exit
            }
            types = uris = suites = enabled = key = ""
        }
        format == "one-line" {
            sub(/#.*/, "")
            if ($1 != "deb") next
            options = ""
            field = 2
            if ($2 ~ /^\[/) {
                while (field < NF && $field !~ /\]$/) options = options $(field++) " "
                options = options $(field++) " "
            }
            if ($(field + 1) == "bookworm") { print "deb " options $field " bookworm-backports main"; exit }
            next
        }
        /^[ \t]*$/ { stanza(); next }
        /^[#]/ || /^[ \t]/ { next }
        {
            name = tolower($0); sub(/:.*/, "", name)
            value = $0; sub(/^[^:]*:[ \t]*/, "", value); sub(/[ \t]+$/, "", value)
            if (name == "types") types = value
            else if (name == "uris") uris = value
            else if (name == "suites") suites = value
            else if (name == "enabled") enabled = value
            else if (name == "signed-by") key = value
        }
        END { if (format == "deb822" && !found) stanza() }
    ' "$file")
    if [ -n "$line" ]; then
        printf '%s\n' "$line"
        exit 0
    fi
done
echo "No apt source of this machine serves Debian 12 (bookworm): add one for bookworm-backports." >&2
exit 1
