#!/usr/bin/python3
"""Prints deb-src stanzas (deb822) mirroring the machine's active Debian deb entries.

Only the Debian archives are mirrored: the Windows libraries are built from
Debian's own source packages and nothing else.
"""
import glob
import re
import sys


def stanzas_from_sources(text):
    for block in re.split(r"\n\s*\n", text):
        fields = {}
        key = None
        for line in block.splitlines():
            if line.startswith("#") or not line.strip():
                continue
            if line[0] in " \t" and key:
                fields[key] += " " + line.strip()
                continue
            key, _, value = line.partition(":")
            key = key.strip().lower()
            fields[key] = value.strip()
        if fields:
            yield fields


def stanzas_from_list(text):
    for line in text.splitlines():
        line = line.split("#", 1)[0].strip()
        if not line.startswith("deb "):
            continue
        parts = line.split()[1:]
        options = {}
        if parts and parts[0].startswith("["):
            opts = []
            while parts:
                p = parts.pop(0)
                opts.append(p)
                if p.endswith("]"):
                    break
            for o in " ".join(opts).strip("[] ").split():
                k, _, v = o.partition("=")
                options[k.lower()] = v
        if len(parts) < 2:
            continue
        stanza = {"types": "deb", "uris": parts[0], "suites": parts[1],
                  "components": " ".join(parts[2:])}
        if "signed-by" in options:
            stanza["signed-by"] = options["signed-by"]
        yield stanza


def main():
    found = []
    for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
        with open(path, encoding="utf-8") as f:
            found.extend(stanzas_from_sources(f.read()))
    for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
        try:
            with open(path, encoding="utf-8") as f:
                found.extend(stanzas_from_list(f.read()))
        except FileNotFoundError:
            pass
    out = []
    for s in found:
        if "deb" not in s.get("types", "").split() or s.get("enabled", "yes").lower() == "no":
            continue
        if "debian" not in s.get("uris", ""):
            continue
        lines = ["Types: deb-src", "URIs: " + s["uris"], "Suites: " + s["suites"],
                 "Components: " + s.get("components", "main")]
        if s.get("signed-by"):
            lines.append("Signed-By: " + s["signed-by"])
        out.append("\n".join(lines))
    if not out:
        sys.exit("no Debian deb entries found in /etc/apt/sources.list(.d)")
    print("\n\n".join(out))


if __name__ == "__main__":
    main()
