# Prints the CRS GDAL finds for a raster as
# "name|datum|ellipsoid|semi-major axis|inverse flattening|same as PRJ|same as ESRI:104971"
# where PRJ is the text of the .prj file given second, read as GDAL reads one.
import sys

from osgeo import gdal, osr

gdal.UseExceptions()
found = gdal.Open(sys.argv[1]).GetSpatialRef()
if found is None:
    print("no CRS")
    sys.exit(0)


def reference(text):
    srs = osr.SpatialReference()
    srs.SetFromUserInput(text)
    srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    return srs


with open(sys.argv[2]) as prj:
    same_as_prj = found.IsSame(reference(prj.read()))
same_as_esri = found.IsSame(reference("ESRI:104971"))
print("|".join(str(part) for part in (found.GetName(), found.GetAttrValue("DATUM"), found.GetAttrValue("SPHEROID"),
                                      found.GetSemiMajor(), found.GetInvFlattening(), int(same_as_prj),
                                      int(same_as_esri))))
