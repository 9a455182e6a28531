#!/usr/bin/env bash
# Prints deb-src entries (deb822) for the Debian archives this machine installs from, so that
# `apt-get source` works with whatever mirror the machine uses: the same URIs, suites and
# components as its deb entries, and the same Signed-By. Reads `apt-get indextargets` on stdin,
# which apt fills from both sources.list formats and, once the lists are fetched, from the
# archives' Release files: only archives whose origin is Debian are taken, since other
# repositories seldom publish sources. Archives that already have a deb-src entry (other than
# in OWN_FILE, the file these entries go to) are left out.
# Usage: apt-get indextargets | deb-src-entries.sh OWN_FILE
set -euo pipefail
own_file="${1:-}"

awk -v own="$own_file" '
  # One-line entry: the signed-by option of line n, if any.
  function one_line_signed_by(file, n,    line, i, v, opts) {
    i = 0; v = ""; RS = "\n"
    while ((getline line < file) > 0) {
      if (++i != n) continue
      if (match(line, /\[[^]]*\]/)) {
        opts = substr(line, RSTART + 1, RLENGTH - 2)
        if (match(opts, /signed-by=[^ \t]+/)) v = substr(opts, RSTART + 10, RLENGTH - 10)
      }
      break
    }
    close(file); RS = ""
    return v
  }
  # deb822 entry: the Signed-By field (with any continuation lines) of stanza n.
  function stanza_signed_by(file, n,    line, stanza, inside, taking, v) {
    stanza = 0; inside = 0; taking = 0; v = ""; RS = "\n"
    while ((getline line < file) > 0) {
      if (line ~ /^[ \t]*$/) { inside = 0; taking = 0; continue }
      if (line ~ /^#/) continue
      if (!inside) { inside = 1; ++stanza }
      if (stanza != n) continue
      if (taking && line ~ /^[ \t]/) { v = v "\n" line; continue }
      taking = 0
      if (tolower(line) ~ /^signed-by:/) { v = line; sub(/^[^:]*:[ \t]*/, "", v); taking = 1 }
    }
    close(file); RS = ""
    return v
  }
  function add_unique(list, item) {
    return (" " list " ") ~ (" " item " ") ? list : (list == "" ? item : list " " item)
  }
  BEGIN { RS = ""; FS = "\n" }
  {
    delete f
    for (i = 1; i <= NF; ++i) {
      k = $i; sub(/:.*/, "", k)
      v = $i; sub(/^[^:]*:[ ]?/, "", v)
      f[k] = v
    }
    entry = f["Sourcesentry"]
    file = entry; sub(/:[0-9]+$/, "", file)
    if (f["Target-Of"] == "deb-src" && file != own) covered[f["Site"] " " f["Release"]] = 1
    if (f["Target-Of"] != "deb" || f["Created-By"] != "Packages" || f["Origin"] != "Debian") next
    key = entry " " f["Site"]
    if (!(key in suites)) { order[++count] = key; site[key] = f["Site"]; where[key] = entry }
    suites[key] = add_unique(suites[key], f["Release"])
    components[key] = add_unique(components[key], f["Component"])
  }
  END {
    for (i = 1; i <= count; ++i) {
      key = order[i]
      kept = ""
      n = split(suites[key], list, " ")
      for (j = 1; j <= n; ++j) if (!((site[key] " " list[j]) in covered)) kept = add_unique(kept, list[j])
      if (kept == "") continue
      file = where[key]; sub(/:[0-9]+$/, "", file)
      line = where[key]; sub(/.*:/, "", line)
      signed = file ~ /\.sources$/ ? stanza_signed_by(file, line + 0) : one_line_signed_by(file, line + 0)
      if (printed++) print ""
      print "Types: deb-src"
      print "URIs: " site[key]
      print "Suites: " kept
      print "Components: " components[key]
      if (signed != "") print "Signed-By: " signed
    }
  }
'
