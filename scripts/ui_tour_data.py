#!/usr/bin/env python3
"""The files scripts/ui_tour.sh loads into the demo data folder DIR: a
waypoint file of European places (London with a proximity alarm and its
picture), a route file along the Atlantic coast and the Channel, a track
that drives into London's zone, and the rows of a small gazetteer."""
import sys

d = sys.argv[1]
places = [
    ("London", 51.507, -0.128), ("Paris", 48.857, 2.352), ("Madrid", 40.417, -3.704),
    ("Lisbon", 38.722, -9.139), ("Dublin", 53.350, -6.260), ("Edinburgh", 55.953, -3.189),
    ("Brest", 48.390, -4.486), ("Bordeaux", 44.838, -0.579), ("Porto", 41.158, -8.629),
    ("Seville", 37.389, -5.984), ("Barcelona", 41.385, 2.173), ("Lyon", 45.764, 4.836),
    ("Marseille", 43.296, 5.370), ("Nantes", 47.218, -1.554), ("Cork", 51.898, -8.471),
    ("Glasgow", 55.864, -4.252), ("Cardiff", 51.481, -3.179), ("Bilbao", 43.263, -2.935),
    ("Valencia", 39.470, -0.376), ("Toulouse", 43.605, 1.444), ("Santiago", 42.878, -8.545),
    ("Belfast", 54.597, -5.930), ("Plymouth", 50.376, -4.143), ("Cherbourg", 49.640, -1.616),
    ("La Coruna", 43.362, -8.411), ("Gibraltar", 36.140, -5.354), ("Galway", 53.271, -9.057),
    ("Aberdeen", 57.149, -2.094), ("Reykjavik", 64.146, -21.942), ("Funchal", 32.650, -16.908),
    ("Faro", 37.019, -7.930), ("Brussels", 50.850, 4.352), ("Amsterdam", 52.370, 4.895),
    ("Cape Finisterre", 42.883, -9.272), ("Land's End", 50.066, -5.714), ("Biarritz", 43.483, -1.559),
]
at = {n: (la, lo) for n, la, lo in places}
# Text and background colours (0x00BBGGRR) in turn.
colours = [(255, 65535), (0, 16777215), (16777215, 255), (0, 65280), (16711680, 16777215)]
lines = ["Mapwanderer CE Waypoint File Version 1.0", "WGS 84", "Reserved 2", "Reserved 3"]
for i, (n, la, lo) in enumerate(places):
    text, back = colours[i % len(colours)]
    f = ["-1", n, "%.6f" % la, "%.6f" % lo, "40000", "0", "0", "0", str(text), str(back),
         n + " city", "0", "0", "60000" if i % 4 == 0 else "0"]
    if n == "London":
        # A 30 km zone; popup position 1, 8 seconds, the picture london.bmp.
        f[13] = "30000"
        f += ["-777", "8", "0", "17", "1", "8", "2", "", "london.bmp", ""]
    lines.append(",".join(f))
open(d + "/places.wpt", "w", newline="").write("\r\n".join(lines) + "\r\n")

rte = ["Route File", "WGS 84", "Reserved 1", "Reserved 2", "R,0,Atlantic Coast,Brest to Lisbon,"]
for n in ["Brest", "Nantes", "Bordeaux", "Biarritz", "Bilbao", "La Coruna", "Porto", "Lisbon"]:
    rte.append("W,0,0,0,%s,%.6f,%.6f" % ((n,) + at[n]))
rte.append("R,0,Channel,,16711680")
for n in ["Cherbourg", "Plymouth", "Land's End", "Cork"]:
    rte.append("W,0,0,0,%s,%.6f,%.6f" % ((n,) + at[n]))
open(d + "/coast.rte", "w", newline="").write("\r\n".join(rte) + "\r\n")

trk = ["Mapwanderer CE Track Point File Version 2.0", "WGS 84", "Altitude is in Feet",
       "Reserved 3", "0,2,255,MawCE Track Log file     ,1", "0"]
for k in range(24):
    la = 51.0 + (51.507 - 51.0) * k / 16
    lo = -1.6 + (1.6 - 0.128) * k / 16
    trk.append("%12.7f,%12.7f,%d,%7.0f" % (la, lo, 1 if k == 0 else 0, -777))
open(d + "/to_london.plt", "w", newline="").write("\r\n".join(trk) + "\r\n")

names = [
    ("London", "PPLC", 51.507, -0.128), ("Paris", "PPLC", 48.857, 2.352),
    ("Madrid", "PPLC", 40.417, -3.704), ("Lisbon", "PPLC", 38.722, -9.139),
    ("Dublin", "PPLC", 53.350, -6.260), ("Edinburgh", "PPL", 55.953, -3.189),
    ("Brest", "PPL", 48.390, -4.486), ("Bordeaux", "PPL", 44.838, -0.579),
    ("Porto", "PPL", 41.158, -8.629), ("Seville", "PPL", 37.389, -5.984),
    ("Barcelona", "PPL", 41.385, 2.173), ("Lyon", "PPL", 45.764, 4.836),
    ("Marseille", "PPL", 43.296, 5.370), ("Nantes", "PPL", 47.218, -1.554),
    ("Cork", "PPL", 51.898, -8.471), ("Glasgow", "PPL", 55.864, -4.252),
    ("Cardiff", "PPL", 51.481, -3.179), ("Bilbao", "PPL", 43.263, -2.935),
    ("Ben Nevis", "MT", 56.797, -5.004), ("Snowdon", "MT", 53.068, -4.076),
    ("Mont Blanc", "MT", 45.833, 6.865), ("Pico de Aneto", "MT", 42.631, 0.657),
    ("Mulhacen", "MT", 37.053, -3.311), ("Mont Ventoux", "MT", 44.174, 5.279),
    ("Montpellier", "PPL", 43.611, 3.877), ("Le Mans", "PPL", 48.006, 0.199),
    ("Le Havre", "PPL", 49.494, 0.108), ("Limoges", "PPL", 45.833, 1.262),
    ("Leeds", "PPL", 53.801, -1.549), ("Leicester", "PPL", 52.637, -1.140),
    ("Liverpool", "PPL", 53.408, -2.992), ("Lille", "PPL", 50.629, 3.057),
    ("Lourdes", "PPL", 43.095, -0.046), ("Lugo", "PPL", 43.012, -7.556),
    ("Leon", "PPL", 42.599, -5.567), ("Limerick", "PPL", 52.668, -8.630),
]
with open(d + "/names.tsv", "w") as f:
    for r in sorted(names, key=lambda r: r[0].upper()):
        f.write("%s\t%s\t%.3f\t%.3f\n" % r)
