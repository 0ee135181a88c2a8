// GDAL ready for the plugin's work: its drivers registered and, in the Windows build, its
// data folders set. The Windows build links GDAL and PROJ statically and carries their data
// beside the plugin (share\gdal for the DXF and GML drivers, share\proj for proj.db):
// GDAL 3.6 and PROJ look nowhere else there. GDAL_DATA and PROJ_DATA, when set, still win.
#pragma once

void PrepareGdal();
