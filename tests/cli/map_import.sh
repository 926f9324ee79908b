#!/bin/bash
# mwtool map import against GDAL: rasters made here with GDAL's own tools in a
# UTM zone, the British National Grid, latitude/longitude and Web Mercator
# (which the import must warp) are imported, and for 50 random points each
# the pixel the program computes from its calibration is compared with the
# pixel GDAL computes from the raster's transform. Then the bad inputs: each
# must fail with a message naming the file and leave no file behind.
#
# Usage: map_import.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"
for t in gdal_create gdaltransform gdalsrsinfo; do
    command -v $t >/dev/null || skip "GDAL tools missing ($t)"
done
cd "$dir"
mkdir out

# raster NAME SRS ULX ULY LRX LRY: a 300 x 200 RGB GeoTIFF, light blue with a
# black square over pixels 140..160 x 90..110 when it is placed.
raster() {
    gdal_create -q -of GTiff -outsize 300 200 -bands 3 -burn 90 -burn 140 -burn 200 \
        ${2:+-a_srs "$2"} ${3:+-a_ullr $3 $4 $5 $6} "$1" || fail "gdal_create $1"
    [[ -n ${2:-} ]] || return 0
    awk -v srs=$2 -v ulx=$3 -v uly=$4 -v lrx=$5 -v lry=$6 'BEGIN {
        x0 = ulx + 140 * (lrx - ulx) / 300; x1 = ulx + 160 * (lrx - ulx) / 300
        y0 = uly + 90 * (lry - uly) / 200;  y1 = uly + 110 * (lry - uly) / 200
        printf "{\"type\":\"FeatureCollection\",\"crs\":{\"type\":\"name\",\"properties\":{\"name\":\"%s\"}},", srs
        printf "\"features\":[{\"type\":\"Feature\",\"properties\":{},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":"
        printf "[[[%.6f,%.6f],[%.6f,%.6f],[%.6f,%.6f],[%.6f,%.6f],[%.6f,%.6f]]]}}]}\n", x0,y0, x1,y0, x1,y1, x0,y1, x0,y0
    }' > square.geojson
    gdal_rasterize -q -burn 0 -burn 0 -burn 0 square.geojson "$1" || fail "gdal_rasterize $1"
}

# shade MAP IMAGE PIXEL_X PIXEL_Y: the first band of the imported image at
# the program's pixel for the place of the raster's pixel (X, Y).
shade() {
    local ll xy
    ll=$(echo "$3 $4" | gdaltransform "$1" -t_srs EPSG:4326 | awk '{ printf "%.10f %.10f", $2, $1 }')
    xy=$(mw pixel "$2" $ll)
    gdallocationinfo -valonly -b 1 "${2%.map}.tif" $xy
}

# Case table: name, its system, corners, the geographic system of its datum
# (where GDAL gives latitude/longitude), tolerance in pixels, warped or not.
cases=(
    "utm  EPSG:32632 500000 5200000 503000 5198000 EPSG:4326 0.5 no"
    "bng  EPSG:27700 400000 300000 403000 298000 EPSG:4277 0.5 no"
    "geo  EPSG:4326  10 50 10.3 49.8 EPSG:4326 0.5 no"
    "webm EPSG:3857  1000000 6000000 1030000 5980000 EPSG:4326 1.0 yes"
)
for row in "${cases[@]}"; do
    read -r name srs ulx uly lrx lry geo tol warp <<< "$row"
    raster $name.tif $srs $ulx $uly $lrx $lry
    mw map import $name.tif -o out > $name.log 2>&1 || { cat $name.log; fail "$name: import failed"; }
    grep -q '^warped:' $name.log && got=yes || got=no
    same "$name warped" "$warp" "$got"
    # The picture went into the image where the calibration says: the black
    # square is found at the program's pixel for its centre, and not beside it.
    mw mwf2 decode out/$name.mwf2 -o out/$name.png > /dev/null || fail "$name: decode"
    gdal_translate -q -expand rgb out/$name.png out/$name.tif 2>/dev/null ||
        gdal_translate -q out/$name.png out/$name.tif || fail "$name: decoded image"
    same "$name square" "0 90" "$(shade $name.tif out/$name.map 150 100) $(shade $name.tif out/$name.map 150 60)"
    rm out/$name.png out/$name.tif
    # GDAL's pixels are those of the grid the image was written in: the
    # raster itself, or the warped grid the import reports.
    ref=$name.tif
    if [[ $warp == yes ]]; then
        read -r _ crs w _ h c0 c1 c2 c3 c4 c5 < <(grep '^grid:' $name.log)
        [[ $c2 == 0 && $c4 == 0 ]] || fail "$name: warped grid is not north-up"
        gdal_create -q -of GTiff -outsize $w $h -a_srs $crs \
            -a_ullr $c0 $c3 $(awk -v a=$c0 -v b=$c1 -v n=$w 'BEGIN{printf "%.10f", a+b*n}') \
            $(awk -v a=$c3 -v b=$c5 -v n=$h 'BEGIN{printf "%.10f", a+b*n}') ref_$name.tif
        ref=ref_$name.tif
    fi
    size=$(gdalinfo $ref | sed -n 's/^Size is \([0-9]*\), \([0-9]*\)/\1 \2/p')
    awk -v s=31 -v size="$size" 'BEGIN { srand(s); split(size, d, " ")
        for (i = 0; i < 50; i++) printf "%.4f %.4f\n", rand() * d[1], rand() * d[2] }' > $name.px
    gdaltransform $ref -t_srs $geo < $name.px | awk '{ printf "%.10f %.10f\n", $2, $1 }' > $name.ll
    mw pixel out/$name.map < $name.ll > $name.mw || fail "$name: mwtool pixel"
    # Forward: the program's whole pixel holds GDAL's position (its centre
    # within tol of it).
    paste -d' ' $name.px $name.mw | awk -v n=$name -v tol=$tol '
        { dx = $3 + 0.5 - $1; dy = $4 + 0.5 - $2; dx = dx < 0 ? -dx : dx; dy = dy < 0 ? -dy : dy
          e = dx > dy ? dx : dy; if (e > m) m = e; k++ }
        END { printf "%-5s forward: %d points, max %.4f px (tolerance %s)\n", n, k, m, tol
              exit (k != 50 || m > tol + 1e-6) }' || { failed=1; echo "FAILED: $name forward"; }
    # Inverse, without the rounding to whole pixels: the program's position
    # of a pixel, placed by GDAL, lands where it started.
    awk '{ printf "%.6f %.6f\n", $1 - 0.5, $2 - 0.5 }' $name.px | mw pixel --inverse out/$name.map |
        awk '{ printf "%.10f %.10f\n", $2, $1 }' | gdaltransform -i $ref -t_srs $geo > $name.back
    paste -d' ' $name.px $name.back | awk -v n=$name -v tol=$tol '
        { dx = $3 - $1; dy = $4 - $2; e = sqrt(dx * dx + dy * dy); if (e > m) m = e; k++ }
        END { printf "%-5s inverse: %d points, max %.6f px (tolerance %s)\n", n, k, m, tol
              exit (k != 50 || m > tol) }' || { failed=1; echo "FAILED: $name inverse"; }
done

# The map is there for the catalogue at once.
out=$(mw maps --dir out 49.9 10.1 | head -1)
same "catalogue lists the new map" "$dir/out/geo.map" "${out##* }"

# The border holds the valid area only: a raster whose left third is nodata.
gdal_create -q -of GTiff -outsize 300 200 -bands 1 -burn 0 -a_nodata 0 -a_srs EPSG:32632 \
    -a_ullr 500000 5200000 503000 5198000 edge.tif
printf '%s\n' '{"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"EPSG:32632"}},' \
    '"features":[{"type":"Feature","properties":{},"geometry":{"type":"Polygon","coordinates":' \
    '[[[501000,5198000],[503000,5198000],[503000,5200000],[501000,5200000],[501000,5198000]]]}}]}' \
    > valid.geojson
gdal_rasterize -q -burn 200 valid.geojson edge.tif || fail "gdal_rasterize edge.tif"
status "nodata edge import" 0 mw map import edge.tif -o out
same "border of the valid area" "MMPNUM,4 x 100..299 y 0..199" "$(tr -d '\r' < out/edge.map | awk -F, '
    /^MMPNUM/ { n = $0 } /^MMPXY/ { if (!k++) { x0 = x1 = $3; y0 = y1 = $4 }
        if ($3 < x0) x0 = $3; if ($3 > x1) x1 = $3; if ($4 < y0) y0 = $4; if ($4 > y1) y1 = $4 }
    END { printf "%s x %d..%d y %d..%d", n, x0, x1, y0, y1 }')"

# Bad input: command, the exit code, a text the message must hold.
raster plain.tif
printf '10\n0\n0\n-10\n500005\n5199995\n' > plain.tfw
raster lone.tif
raster broken.tif
printf '10\n0\nten\n-10\n500005\n5199995\n' > broken.tfw
gdal_create -q -of GTiff -outsize 600 600 -bands 3 -burn 10 -a_srs EPSG:32632 \
    -a_ullr 500000 5200000 500600 5199400 whole.tif
head -c 200 whole.tif > cut_head.tif
head -c 500000 whole.tif > cut_data.tif
gdal_create -q -of GTiff -outsize 1 1 -bands 1 -a_srs EPSG:32632 -a_ullr 500000 5200000 500010 5199990 one.tif
gdal_create -q -of GTiff -outsize 2000 1 -bands 1 -a_srs EPSG:32632 -a_ullr 500000 5200000 520000 5199990 row.tif
bad=(
    "cut_head.tif|cut_head.tif: cannot be read as a picture"
    "cut_data.tif|cannot read cut_data.tif: "
    "one.tif|one.tif: a picture of 1 x 1 pixels is too small to calibrate"
    "row.tif|row.tif: a picture of 2000 x 1 pixels is too small to calibrate"
    "lone.tif|lone.tif has no georeference (give --crs with a world file, or calibrate it by hand)"
    "plain.tif|plain.tif: the world file plain.tfw gives no coordinate system (put a .prj file beside it, or give --crs)"
    "plain.tif --crs EPSG:999999|plain.tif: the coordinate system \"EPSG:999999\" cannot be read"
    "plain.tif --crs +proj=nonsense|plain.tif: the coordinate system \"+proj=nonsense\" cannot be read"
    "broken.tif --crs EPSG:32632|broken.tfw is not a usable world file: line 3 is not a number"
    "missing.tif|missing.tif: cannot be read as a picture"
)
mkdir bad
for row in "${bad[@]}"; do
    args=${row%%|*} text=${row#*|}
    msg=$(mw map import $args -o bad 2>&1 >/dev/null) && rc=0 || rc=$?
    same "map import $args: exit" 1 "$rc"
    [[ $msg == *"$text"* ]] || { failed=1; echo "FAILED: map import $args said: $msg"; }
done
same "nothing written for bad input" "" "$(ls -A bad)"

# A world file with its .prj (ESRI's WKT) and with --crs both place it.
gdalsrsinfo -o wkt_esri EPSG:32632 > plain.prj
status "world file and .prj" 0 mw map import plain.tif -o out
same "world file pixel" "100 50" "$(mw pixel out/plain.map $(echo '501005 5199495' |
    gdaltransform -s_srs EPSG:32632 -t_srs EPSG:4326 | awk '{ printf "%.10f %.10f", $2, $1 }'))"
rm plain.prj
status "world file and --crs" 0 mw map import plain.tif --crs EPSG:32632 --name plain2 -o out

# A name with dots: the map reader takes the image name up to its first dot,
# so the dots become "_" and the map finds its image.
status "dotted name" 0 mw map import geo.tif --name sheet.v2 -o out
same "dotted name finds its image" "image: out/sheet_v2.mwf2 300x200" \
    "$(mw mapinfo out/sheet_v2.map | grep '^image:')"

# A folder that cannot be written: the old map stays, the message names it.
mkdir ro
echo old > ro/utm.map
echo old > ro/utm.mwf2
if [[ $(id -u) == 0 ]]; then
    chattr +i ro 2>/dev/null && trap 'chattr -i "$dir/ro" 2>/dev/null; rm -rf "$dir"' EXIT
else
    chmod 555 ro
fi
if touch ro/probe 2>/dev/null; then
    rm -f ro/probe
    echo "SKIPPED: no read-only folder can be made here"
    [[ $failed == 0 ]] && exit 77
    finish
fi
msg=$(mw map import utm.tif -o ro 2>&1 >/dev/null) && rc=0 || rc=$?
same "read-only folder: exit" 1 "$rc"
[[ $msg == *"ro/utm.mwf2"* ]] || { failed=1; echo "FAILED: read-only folder said: $msg"; }
same "read-only folder: old files kept" "old old" "$(cat ro/utm.map) $(cat ro/utm.mwf2)"
same "read-only folder: nothing added" "utm.map utm.mwf2" "$(ls -A ro | tr '\n' ' ' | sed 's/ $//')"
finish
