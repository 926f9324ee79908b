# A small dBASE III gazetteer writer shared by the name-search test and the
# screenshot tour; sourced, not a test of its own (no traps, no folders).

# write_dbf FILE COUNT_OVERRIDE < ROWS
#   ROWS: tab-separated NAME, FULL_CODE, LATITUDE, LONGITUDE lines.
#   COUNT_OVERRIDE: the record count the header claims ("" for the true one).
write_dbf() {
    python3 -c "$dbf_writer" "$1" "${2:-}"
}
dbf_writer=$(cat <<'PY'
import struct, sys
path, claimed = sys.argv[1], sys.argv[2]
fields = [("NAME", 30), ("FULL_CODE", 6), ("DSG", 4), ("LATITUDE", 11), ("LONGITUDE", 11)]
rows = [line.rstrip("\n").split("\t") for line in sys.stdin if line.strip()]
reclen = 1 + sum(n for _, n in fields)
hdrlen = 32 + 32 * len(fields) + 1
count = int(claimed) if claimed else len(rows)
out = bytearray(struct.pack("<B3BIHH20x", 3, 124, 1, 1, count, hdrlen, reclen))
for name, n in fields:
    out += struct.pack("<11sc4xB15x", name.encode(), b"C", n)
out += b"\r"
for r in rows:
    vals = [r[0], r[1], "", r[2], r[3]]
    out += b" " + b"".join(v.encode("utf-8")[:n].ljust(n) for v, (_, n) in zip(vals, fields))
out += b"\x1a"
open(path, "wb").write(out)
PY
)
