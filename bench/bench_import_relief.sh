#!/usr/bin/env bash
# Makes a picture like a scanned topographic map, for bench_import:
#   bench_import_relief.sh SIDE FOLDER  ->  FOLDER/relief-SIDE.tif
# A synthetic terrain (hills of random heights spline-smoothed, plus a finer
# roughness) is hill-shaded with `gdaldem hillshade`, tinted by height with
# `gdaldem color-relief`, the two multiplied in a VRT; then contour lines
# (`gdal_contour`), a blue grid and text-like glyph strokes (dark 1-pixel
# strokes in words of 3 to 8 letters) are burnt in with `gdal_rasterize`.
# Smooth shading is where a 256-colour palette shows banding; the lines and
# strokes are the sharp dark detail of a scan. Fixed seed: the same picture
# on every run. An existing picture is kept.
set -euo pipefail
side=${1:?side in pixels}
dir=${2:?folder}
out=$dir/relief-$side.tif
[ -s "$out" ] && { echo "$out"; exit 0; }
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
out=$dir/relief-$side.tif
work=$(mktemp -d "$dir/relief-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export GDAL_CACHEMAX=256

python3 - "$side" <<'EOF'
import array, math, random, sys
side = int(sys.argv[1])
random.seed(31)
def raw(name, n, scale):
    array.array('f', (random.random() * scale for _ in range(n * n))).tofile(open(name + '.raw', 'wb'))
    open(name + '.vrt', 'w').write(f'''<VRTDataset rasterXSize="{n}" rasterYSize="{n}">
 <VRTRasterBand dataType="Float32" band="1" subClass="VRTRawRasterBand">
  <SourceFilename relativetoVRT="1">{name}.raw</SourceFilename>
  <ImageOffset>0</ImageOffset><PixelOffset>4</PixelOffset><LineOffset>{4 * n}</LineOffset>
  <ByteOrder>LSB</ByteOrder>
 </VRTRasterBand>
</VRTDataset>''')
# Hills about side/12 apart, 1500 m high; roughness every 8 pixels, 40 m;
# land cover (fields, forest) in patches about side/40 across.
raw('hills', 12, 1500)
raw('cover', 40, 1)
fine = max(side // 8, 2)
raw('rough', fine, 40)
def source(name, n):
    return f'''<ComplexSource resampling="cubicspline"><SourceFilename relativeToVRT="1">{name}.vrt</SourceFilename>
   <SourceBand>1</SourceBand><SrcRect xOff="0" yOff="0" xSize="{n}" ySize="{n}"/>
   <DstRect xOff="0" yOff="0" xSize="{side}" ySize="{side}"/></ComplexSource>'''
open('cover.vrt.full', 'w').write(f'''<VRTDataset rasterXSize="{side}" rasterYSize="{side}">
 <GeoTransform>0, 10, 0, 0, 0, -10</GeoTransform>
 <VRTRasterBand dataType="Float32" band="1">{source('cover', 40)}</VRTRasterBand>
</VRTDataset>''')
open('dem.vrt', 'w').write(f'''<VRTDataset rasterXSize="{side}" rasterYSize="{side}">
 <GeoTransform>0, 10, 0, 0, 0, -10</GeoTransform>
 <VRTRasterBand dataType="Float32" band="1" subClass="VRTDerivedRasterBand">
  <PixelFunctionType>sum</PixelFunctionType>
  {source('hills', 12)}
  {source('rough', fine)}
 </VRTRasterBand>
</VRTDataset>''')
# Shade keeps 35 % of the tint in the darkest slopes.
bands = ''.join(f'''<VRTRasterBand dataType="Byte" band="{b}" subClass="VRTDerivedRasterBand">
  <PixelFunctionType>mul</PixelFunctionType><SourceTransferType>Float64</SourceTransferType>
  <ComplexSource><SourceFilename relativeToVRT="1">tint.tif</SourceFilename><SourceBand>{b}</SourceBand></ComplexSource>
  <ComplexSource><SourceFilename relativeToVRT="1">shade.tif</SourceFilename><SourceBand>1</SourceBand>
   <ScaleOffset>0.35</ScaleOffset><ScaleRatio>{0.65 / 255}</ScaleRatio></ComplexSource>
  <ComplexSource><SourceFilename relativeToVRT="1">cover.tif</SourceFilename><SourceBand>{b}</SourceBand>
   <ScaleRatio>{1 / 255}</ScaleRatio></ComplexSource>
 </VRTRasterBand>''' for b in (1, 2, 3))
open('relief.vrt', 'w').write(f'''<VRTDataset rasterXSize="{side}" rasterYSize="{side}">
 <GeoTransform>0, 10, 0, 0, 0, -10</GeoTransform>{bands}</VRTDataset>''')
# Grid every 1000 pixels, roads, and words of glyph strokes.
with open('lines.csv', 'w') as f:
    f.write('WKT,kind\n')
    for k in range(0, side, 1000):
        f.write(f'"LINESTRING ({k * 10} 0, {k * 10} {-side * 10})",grid\n')
        f.write(f'"LINESTRING (0 {-k * 10}, {side * 10} {-k * 10})",grid\n')
    for _ in range(max(side // 400, 3)):
        x, y = random.uniform(0, side), random.uniform(0, side)
        points, heading = [], random.uniform(0, 6.3)
        for _ in range(60):
            points.append(f'{x * 10:.1f} {-y * 10:.1f}')
            heading += random.uniform(-0.4, 0.4)
            x += 120 * math.cos(heading)
            y += 120 * math.sin(heading)
        f.write('"LINESTRING (' + ', '.join(points) + ')",road\n')
    for _ in range(max(side * side // 180000, 20)):
        x, y = random.uniform(0, side - 120), random.uniform(0, side - 20)
        for letter in range(random.randint(3, 8)):
            x0 = x + letter * 11
            for _ in range(random.randint(2, 3)):
                a = (x0 + random.uniform(0, 8), y + random.uniform(0, 14))
                b = (x0 + random.uniform(0, 8), y + random.uniform(0, 14))
                f.write(f'"LINESTRING ({a[0] * 10:.1f} {-a[1] * 10:.1f}, {b[0] * 10:.1f} {-b[1] * 10:.1f})",text\n')
EOF

co=(-co TILED=YES -co COMPRESS=DEFLATE -co BIGTIFF=IF_SAFER)
gdal_translate -q "${co[@]}" -co PREDICTOR=3 dem.vrt dem.tif
rm -f hills.raw rough.raw hills.vrt rough.vrt dem.vrt
gdaldem hillshade -q -z 2 -compute_edges "${co[@]}" dem.tif shade.tif
cat > ramp.txt <<'EOF'
0 100 150 80
300 150 185 105
700 215 210 140
1100 200 165 115
1500 165 130 100
1700 245 245 240
EOF
gdaldem color-relief -q "${co[@]}" dem.tif ramp.txt tint.tif
# Cover as factors of the tint: open land as it is, forest greener and
# darker, a few pale meadows.
cat > cover.txt <<'EOF'
0 255 250 235
0.25 255 250 235
0.3 255 255 255
0.6 255 255 255
0.64 200 230 175
1 185 220 160
EOF
gdaldem color-relief -q "${co[@]}" cover.vrt.full cover.txt cover.tif
gdal_translate -q "${co[@]}" relief.vrt relief.tif
gdal_translate -q -outsize 25% 25% -r average dem.tif dem4.tif
gdal_contour -q -a elev -i 100 dem4.tif contours.gpkg
gdal_rasterize -q -b 1 -b 2 -b 3 -burn 150 -burn 90 -burn 40 -l contour contours.gpkg relief.tif
cat > lines.vrt <<'EOF'
<OGRVRTDataSource><OGRVRTLayer name="lines"><SrcDataSource>lines.csv</SrcDataSource>
<GeometryType>wkbLineString</GeometryType><GeometryField encoding="WKT" field="WKT"/></OGRVRTLayer></OGRVRTDataSource>
EOF
gdal_rasterize -q -b 1 -b 2 -b 3 -burn 40 -burn 70 -burn 200 -where "kind = 'grid'" -l lines lines.vrt relief.tif
gdal_rasterize -q -b 1 -b 2 -b 3 -burn 200 -burn 40 -burn 30 -at -where "kind = 'road'" -l lines lines.vrt relief.tif
gdal_rasterize -q -b 1 -b 2 -b 3 -burn 25 -burn 25 -burn 30 -where "kind = 'text'" -l lines lines.vrt relief.tif
# Through JPEG at quality 85 and back, as scans are mostly delivered: the
# ringing beside lines and the block noise in smooth shades are many more
# colours than a palette holds.
gdal_translate -q -of JPEG -co QUALITY=85 relief.tif relief.jpg
# Placed in UTM zone 33 north, 10 m a pixel, for a map import.
gdal_translate -q -of GTiff "${co[@]}" -a_srs EPSG:32633 \
  -a_ullr 400000 5300000 $((400000 + side * 10)) $((5300000 - side * 10)) relief.jpg "$out.part"
mv "$out.part" "$out"
echo "$out"
