# Prints where an area's outline falls in a map's CRS, as GDAL reads that
# CRS from the map's own files:
#   outline.py MAP WEST NORTH EAST SOUTH
# -> "west north east south" of the outline's points in metres, each edge
# taken at 1,440 points (the extreme points of an area poleward of the
# equator lie on its edge).
import sys

from osgeo import gdal, osr

gdal.UseExceptions()
plane = gdal.Open(sys.argv[1]).GetSpatialRef()
if plane is None:
    sys.exit("no CRS")
west, north, east, south = (float(v) for v in sys.argv[2:6])
planet = plane.CloneGeogCS()
for srs in (plane, planet):
    srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
steps = 1440
points = []
for i in range(steps + 1):
    t = i / steps
    lon = west + (east - west) * t
    lat = south + (north - south) * t
    points += [(lon, north), (lon, south), (west, lat), (east, lat)]
# Longitudes past 180 as GDAL expects them.
points = [(lon - 360 if lon > 180 else lon, lat) for lon, lat in points]
xy = osr.CoordinateTransformation(planet, plane).TransformPoints(points)
xs = [p[0] for p in xy]
ys = [p[1] for p in xy]
print("%.6f %.6f %.6f %.6f" % (min(xs), max(ys), max(xs), min(ys)))
