# Calibration files for the map CLI tests, written line by line as the
# program reads them (CR LF line ends, 30 point lines, parameters on line 40).
# Sourced by map_*.sh; not a test of its own.

# write_map FILE TITLE DATUM PROJECTION PARAMS POINTS KEYWORDS
#   PARAMS: fields 2..8 of line 40 ("" for none given)
#   POINTS: point lines without their name, one per line, e.g.
#           "xy,0,0,in, deg,51,0,N,10,0,E, grid,,,,N"
#   KEYWORDS: lines after line 40, one per line ("MM0,Yes")
write_map() {
    local file=$1 title=$2 datum=$3 projection=$4 params=$5 points=$6 keywords=$7
    {
        printf 'Mapwanderer Map File,Version 1.0\r\n%s\r\nimages\\%s.png\r\n1 ,Map Code,\r\n' \
            "$title" "$(basename "$file" .map)"
        printf '%s,WGS 84,0.0000,0.0000,WGS 84\r\nReserved 1\r\nReserved 2\r\nMagnetic Variation,,,E\r\n' "$datum"
        printf 'Map Projection,%s,PolyCal,No\r\n' "$projection"
        local n=0
        while IFS= read -r p; do
            [ -z "$p" ] && continue
            n=$((n + 1))
            printf 'Point%02d,%s\r\n' "$n" "$p"
        done <<< "$points"
        while [ "$n" -lt 30 ]; do
            n=$((n + 1))
            printf 'Point%02d,xy,,,ex, deg,,,N,,,W, grid,,,,N\r\n' "$n"
        done
        printf 'Projection Setup,%s\r\nMap Feature = MF ; Map Comment = MC\r\n' "$params"
        while IFS= read -r k; do
            if [ -n "$k" ]; then printf '%s\r\n' "$k"; fi
        done <<< "$keywords"
    } > "$file"
}
