# Compares a projected elevation map with GDAL's nearest-neighbour warp of
# a simple cylindrical map onto the same grid:
#   warp_compare.py SOURCE MAP WARPED [--clipped]
# SOURCE is the simple cylindrical GeoTIFF that was warped, MAP the
# projected GeoTIFF being checked and WARPED gdalwarp's output on MAP's grid.
# Each pixel's centre is taken back to the planet through GDAL's own
# transformation of WARPED's CRS, and to the source's grid from there.
# --clipped: the map shows SOURCE's area and nothing outside it.
#
# Only the pixels within a few of those WARPED fills are taken back to the
# planet; any other pixel lies well outside SOURCE's area. Prints one
# "name count" line a class of pixel:
#   both         MAP and WARPED both hold a sample
#   equal        ... the same one
#   neighbour    ... not the same, but MAP holds one of the 3 x 3 source
#                samples about the one under the pixel's centre
#   far          ... neither: MAP holds a sample from elsewhere
#   map_exact    MAP holds the sample under the centre
#   warped_exact WARPED holds it
#   warped_off   WARPED holds none of the 3 x 3 (the harness's own check of
#                how GDAL's pixels were found)
#   map_hole     MAP has no sample where WARPED has one, the centre more than
#                a pixel inside SOURCE's area
#   map_extra    MAP has one where WARPED has none, the centre more than a
#                pixel inside SOURCE's area, or (with --clipped) more than a
#                pixel outside it
#   edge         MAP and WARPED disagree on having a sample within a pixel of
#                SOURCE's edge (its 88 degree edge, for one)
#   off_planet   MAP has a sample where the centre is off the planet
# and, on standard error, the first few pixels of each fault.
import math
import sys

import numpy
from osgeo import gdal, osr

gdal.UseExceptions()
source_path, map_path, warped_path = sys.argv[1:4]
clipped = "--clipped" in sys.argv[4:]

source = gdal.Open(source_path)
ours = gdal.Open(map_path)
warped = gdal.Open(warped_path)
if (warped.RasterXSize, warped.RasterYSize) != (ours.RasterXSize, ours.RasterYSize):
    sys.exit("the maps differ in size")
a_all = ours.GetRasterBand(1).ReadAsArray()
g_all = warped.GetRasterBand(1).ReadAsArray()
a_data_all = a_all != ours.GetRasterBand(1).GetNoDataValue()
g_data_all = g_all != warped.GetRasterBand(1).GetNoDataValue()
s = source.GetRasterBand(1).ReadAsArray()

plane = warped.GetSpatialRef()
planet = source.GetSpatialRef()
for srs in (plane, planet):
    srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
# A point off the planet is an answer here, not a message.
gdal.PushErrorHandler("CPLQuietErrorHandler")
to_planet = osr.CoordinateTransformation(plane, planet)
t = ours.GetGeoTransform()
pixel = abs(t[1])
orthographic = plane.GetAttrValue("PROJECTION") == "Orthographic"
if orthographic:
    centre_lat = math.radians(plane.GetProjParm(osr.SRS_PP_LATITUDE_OF_ORIGIN))
    centre_lon = math.radians(plane.GetProjParm(osr.SRS_PP_CENTRAL_MERIDIAN))

# The source's grid.
st = source.GetGeoTransform()
per_degree = 1 / st[1]
west, north = st[0], st[3]
span_lon = source.RasterXSize * st[1]
south = north + source.RasterYSize * st[5]
metres_per_degree = math.pi * 3396190 / 180

names = ["both", "equal", "neighbour", "far", "map_exact", "warped_exact", "warped_off", "map_hole", "map_extra",
         "edge", "off_planet"]
faults = ["far", "warped_off", "map_hole", "map_extra", "off_planet"]
counts = dict((name, 0) for name in names)
examples = dict((name, []) for name in faults)

# The window of pixels near those WARPED fills.
margin = 3
rows = numpy.nonzero(g_data_all.any(axis=1))[0]
cols = numpy.nonzero(g_data_all.any(axis=0))[0]
if len(rows) == 0:
    sys.exit("GDAL's warp holds no sample")
top, bottom = max(0, rows[0] - margin), min(a_all.shape[0], rows[-1] + 1 + margin)
left, right = max(0, cols[0] - margin), min(a_all.shape[1], cols[-1] + 1 + margin)
if clipped:
    outside = a_data_all.copy()
    outside[top:bottom, left:right] = False
    counts["map_extra"] += int(outside.sum())
    for r, c in list(zip(*numpy.nonzero(outside)))[:5]:
        examples["map_extra"].append("pixel %d, %d: map %d, far outside the area GDAL fills" % (c, r, a_all[r, c]))


def source_samples(line, column, mask):
    """The source's sample at (line, column) where mask holds and it is on the source's grid; else -99999."""
    ok = mask & (line >= 0) & (line < s.shape[0]) & (column >= 0) & (column < s.shape[1])
    found = numpy.full(line.shape, -99999, dtype=numpy.int32)
    found[ok] = s[line[ok], column[ok]]
    return found


def among_neighbours(values, line, column, mask):
    """Where mask holds: whether values is one of the 3 x 3 source samples about (line, column)."""
    result = numpy.zeros(line.shape, dtype=bool)
    for dl in (-1, 0, 1):
        for dc in (-1, 0, 1):
            result |= mask & (source_samples(line + dl, column + dc, mask) == values)
    return result


def band(y0, y1):
    """Counts the pixels of rows y0 .. y1 - 1 of the window."""
    a = a_all[y0:y1, left:right].astype(numpy.int32)
    g = g_all[y0:y1, left:right].astype(numpy.int32)
    a_data = a_data_all[y0:y1, left:right]
    g_data = g_data_all[y0:y1, left:right]
    cols, rows = numpy.meshgrid(numpy.arange(left, right) + 0.5, numpy.arange(y0, y1) + 0.5)
    x = t[0] + cols * t[1] + rows * t[2]
    y = t[3] + cols * t[4] + rows * t[5]
    found = numpy.array(to_planet.TransformPoints(numpy.column_stack((x.ravel(), y.ravel()))), dtype=float)
    lon = found[:, 0].reshape(a.shape)
    lat = found[:, 1].reshape(a.shape)
    on_planet = numpy.isfinite(lon) & numpy.isfinite(lat) & (numpy.abs(lon) <= 360) & (numpy.abs(lat) <= 90)
    lon = numpy.where(on_planet, lon, 0.0)
    lat = numpy.where(on_planet, lat, 0.0)

    # How far the centre lies inside the source's area (negative outside),
    # in metres on the ground; a point just west of it is nearer than 360
    # degrees round.
    east_of_west = numpy.mod(lon - west, 360.0)
    east_of_west = numpy.where(east_of_west > (span_lon + 360) / 2, east_of_west - 360, east_of_west)
    along = numpy.cos(numpy.radians(lat)) * metres_per_degree
    inside_lon = numpy.minimum(east_of_west, span_lon - east_of_west) * along
    inside_lat = numpy.minimum(north - lat, lat - south) * metres_per_degree
    inside = numpy.where((inside_lon >= 0) & (inside_lat >= 0), numpy.minimum(inside_lon, inside_lat),
                         -numpy.hypot(numpy.minimum(inside_lon, 0), numpy.minimum(inside_lat, 0)))
    column = numpy.floor(east_of_west * per_degree).astype(numpy.int64)
    line = numpy.floor((north - lat) * per_degree).astype(numpy.int64)

    # A pixel's width on the ground is at most its width on the plane where
    # the plane's scale is at least 1 (polar stereographic); on the globe it
    # grows away from the centre as one over the cosine of the distance.
    ground_pixel = pixel
    if orthographic:
        cos_c = (math.sin(centre_lat) * numpy.sin(numpy.radians(lat)) + math.cos(centre_lat) *
                 numpy.cos(numpy.radians(lat)) * numpy.cos(numpy.radians(lon) - centre_lon))
        ground_pixel = pixel / numpy.maximum(cos_c, 0.05)

    both = a_data & g_data & on_planet
    equal = both & (a == g)
    differ = both & ~equal
    neighbour = differ & among_neighbours(a, line, column, differ)
    under = source_samples(line, column, both)
    near_edge = numpy.abs(inside) <= ground_pixel
    classes = {
        "both": both,
        "equal": equal,
        "neighbour": neighbour,
        "far": differ & ~neighbour,
        "map_exact": both & (a == under),
        "warped_exact": both & (g == under),
        "warped_off": both & ~among_neighbours(g, line, column, both),
        "map_hole": ~a_data & g_data & ~near_edge,
        "map_extra": a_data & on_planet & ~g_data & ~near_edge & ((inside > 0) | clipped),
        "edge": (a_data != g_data) & on_planet & near_edge,
        "off_planet": a_data & ~on_planet,
    }
    for name, mask in classes.items():
        counts[name] += int(mask.sum())
    for name in faults:
        for r, c in list(zip(*numpy.nonzero(classes[name])))[:5 - len(examples[name])]:
            examples[name].append("pixel %d, %d at %.6f, %.6f: map %d, GDAL %d, source line %d column %d" %
                                  (c + left, r + y0, lon[r, c], lat[r, c], a[r, c], g[r, c], line[r, c], column[r, c]))


for y0 in range(top, bottom, 128):
    band(y0, min(bottom, y0 + 128))
for name in names:
    print(name, counts[name])
for name in faults:
    for example in examples[name]:
        sys.stderr.write("%s: %s\n" % (name, example))
