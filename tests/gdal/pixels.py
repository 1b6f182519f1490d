# Prints every pixel of band 1 of a raster, read by GDAL, with the
# longitude and latitude of its centre as GDAL's geotransform places it:
# one "longitude latitude value" line a pixel, rows top to bottom.
import sys

from osgeo import gdal

gdal.UseExceptions()
dataset = gdal.Open(sys.argv[1])
transform = dataset.GetGeoTransform()
values = dataset.GetRasterBand(1).ReadAsArray()
lines = []
for y in range(dataset.RasterYSize):
    for x in range(dataset.RasterXSize):
        lon, lat = gdal.ApplyGeoTransform(transform, x + 0.5, y + 0.5)
        lines.append("%.9f %.9f %d" % (lon, lat, values[y][x]))
sys.stdout.write("\n".join(lines) + "\n")
