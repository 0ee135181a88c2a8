// What a front end asks of one run, given whole before the run starts: the model, which map
// files to convert, the limits, the optional outputs, and how to decide on suspect points.
// The run takes nothing else from its front end, so that the same request gives the same
// files from the desktop window, the batch program and a test.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "core/ModelChoice.h"
#include "core/RunEvents.h"

struct RunRequest {
  ModelChoice model;  // kind and degree; the run sets the report's decimals
  // The map files the user wants converted (MapFile order); a file must also be present.
  MapFileSet convert{true, true, true, true, true};
  // The limits given by the front end (a command line), metres, over Limity.txt's.
  std::optional<long double> limitM0, limitResidual;
  bool exportGeoPackage = false;  // Mapa.gpkg after the conversion (when built with GDAL)
  // Also the whole correction as a PROJ pipeline: Korekta.json (tinshift) and
  // Transformacja_pelna.proj. Without it a run with a fit removes an earlier pair, which
  // would describe another fit.
  bool fullPipeline = false;
  // False: a fit with suspect adjustment points, or one that misses the limits, converts no
  // map file, so that no blunder is spread over the map by the correction.
  bool convertWithSuspectPoints = true;
  // Asked once, after the fit and before any map file is converted, when the set's test
  // names adjustment points (`question` names them, UTF-8): true converts, false converts
  // nothing. Unset: the run converts, as it always did.
  std::function<bool(std::string_view question)> confirmSuspectConversion;
  // The views will draw the map: its geometry is read once into the run's result.
  bool keepMapDrawing = false;
};
