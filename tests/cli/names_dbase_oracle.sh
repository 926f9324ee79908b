#!/usr/bin/env bash
# mwtool names on real dBASE tables shipped by Debian packages (the Ordnance
# Survey sample tables of libplplot-data, which `make` installs, and Natural
# Earth's tables in python3-geopandas when present), compared with an
# independent reading of the same files done here. Skipped when neither
# package is installed.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
need_python
datasets=/usr/lib/python3/dist-packages/geopandas/datasets
tables=()
for t in naturalearth_lowres/naturalearth_lowres.dbf naturalearth_cities/naturalearth_cities.dbf; do
    [ -f "$datasets/$t" ] && tables+=("$datasets/$t")
done
for t in /usr/share/plplot*/ss/ss64ne_General_Text.dbf /usr/share/plplot*/ss/ss64ne_Road_Centreline.dbf; do
    [ -f "$t" ] && tables+=("$t")
done
if [ ${#tables[@]} -eq 0 ]; then
    skip "no dBASE table from libplplot-data or python3-geopandas installed"
fi

for table in "${tables[@]}"; do
    copy="$dir/$(basename "$table" .dbf).names"
    cp "$table" "$copy"
    python3 - "$tool" "$copy" "$dir/app" <<'PY'
import struct, subprocess, sys
tool, path, home = sys.argv[1:4]
data = open(path, "rb").read()
count, hlen, rlen = struct.unpack("<IHH", data[4:12])
fields, at, offset = [], 32, 1
while data[at] != 0x0D:
    name = data[at:at + 11].split(b"\0")[0].decode()
    fields.append((name, offset, data[at + 16]))
    offset += data[at + 16]
    at += 32
count = min(count, (len(data) - hlen) // rlen)

def role(name, default):
    for i, f in enumerate(fields):
        if f[0] == name:
            return i
    return default if default < len(fields) else -1
roles = [role("NAME", 0), role("FULL_CODE", 1), role("LATITUDE", 3), role("LONGITUDE", 4)]

def text(rec, i):
    if i < 0:
        return b""
    _, off, n = fields[i]
    start = hlen + rec * rlen + off
    return data[start:start + n].strip(b" \t\0")

def mwtool(*args):
    r = subprocess.run([tool, "names", *args, path, "--home", home], capture_output=True, check=True)
    return r.stdout.split(b"\n")[:-1]

info = mwtool("info")
expected = [b"records,%d" % count,
            b"fields," + b",".join(b"%s:%d" % (f[0].encode(), f[2]) for f in fields),
            b"roles,name=%d,code=%d,lat=%d,lon=%d" % tuple(roles),
            b"datum,Auto Shift ....."]
assert info == expected, (info, expected)

rows = [[text(r, i) for i in roles] for r in range(count)]
codes = sorted({row[1] for row in rows if row[1]})
checks = 0
for needle in [b"AN", b"SAN", b"IA", b"1", b"Q", b"NOTHING-LIKE-THIS"]:
    for code in [None] + codes[:2]:
        want = [b"\t".join(row) for row in rows
                if needle in row[0].upper() and (code is None or row[1] == code)][:5000]
        args = ["search", "--anywhere", "--text", needle.decode()]
        if code is not None:
            args += ["--code", code.decode("utf-8", "replace")]
            if code.decode("utf-8", "replace").encode() != code:
                continue
        got = mwtool(*args)
        assert got == want, (needle, code, got[:5], want[:5])
        checks += 1
print("%s: %d records, %d searches agree" % (path.split("/")[-1], count, checks))
PY
done
echo "1 passed, 0 failed"
