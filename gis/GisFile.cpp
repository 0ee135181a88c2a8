#include "gis/GisFile.h"

#include <gdal_priv.h>
#include <ogr_api.h>
#include <ogrsf_frmts.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <memory>

#include "core/Threads.h"
#include "gis/GdalSetup.h"
#include "gis/GeoPackage.h"
#include "gis/SpatialIndexFill.h"
#include "inplace/InPlaceProtocol.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "textio/Platform.h"
#include "textio/SystemReason.h"
#include "textio/TextFile.h"
#include "transform/ControlReport.h"
#include "transform/FitStamp.h"
#include "transform/TransformPoint.h"

namespace {

namespace fs = std::filesystem;

// The run's fit as GDAL's coordinate transformation. GIS files hold easting, northing; the
// fit, as the map files, works on x northing, y easting. Z and time stay as they are. It
// counts the vertices that come out infinite or undefined (an infinite input, or one so far
// out that the model overflows); an empty point goes through it too, with whatever it holds.
class FitTransformation : public OGRCoordinateTransformation {
 public:
  explicit FitTransformation(const TFittedTransformation& fit) : fit_(fit) {}

  OGRSpatialReference* GetSourceCS() override { return nullptr; }
  OGRSpatialReference* GetTargetCS() override { return nullptr; }
  int Transform(int count, double* x, double* y, double*, double*, int* success) override {
    TransformedPoint t;
    for (int i = 0; i < count; ++i) {
      TransformPoint(fit_, y[i], x[i], t);
      x[i] = static_cast<double>(t.Yk);
      y[i] = static_cast<double>(t.Xk);
      if (!std::isfinite(x[i]) || !std::isfinite(y[i])) ++nonFinite_;
      if (success) success[i] = TRUE;
    }
    return TRUE;
  }
  long NonFinite() const { return nonFinite_; }
  // GDAL takes ownership of what these return.
  OGRCoordinateTransformation* Clone() const override {
    return std::make_unique<FitTransformation>(fit_).release();
  }
  OGRCoordinateTransformation* GetInverse() const override { return nullptr; }

 private:
  const TFittedTransformation& fit_;
  long nonFinite_ = 0;
};

bool Finite(const OGREnvelope& e) {
  return std::isfinite(e.MinX) && std::isfinite(e.MaxX) && std::isfinite(e.MinY) &&
         std::isfinite(e.MaxY);
}

// The driver that writes a file of the extension of `path`; empty: the input's.
// A path's extension in lower case, with its dot.
std::string LowerExtension(const std::string& path) {
  std::string extension = textio::Utf8FromPath(textio::PathFromUtf8(path).extension());
  for (char& c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

std::string DriverOfExtension(const std::string& path) {
  const std::string extension = LowerExtension(path);
  static const std::pair<const char*, const char*> kDrivers[] = {
      {".gpkg", "GPKG"},        {".shp", "ESRI Shapefile"},
      {".dxf", "DXF"},          {".gml", "GML"},
      {".geojson", "GeoJSON"},  {".json", "GeoJSON"},
      {".fgb", "FlatGeobuf"},   {".csv", "CSV"},
      {".kml", "KML"},          {".sqlite", "SQLite"},
      {".tab", "MapInfo File"}, {".mif", "MapInfo File"}};
  for (const auto& [ext, driver] : kDrivers) {
    if (extension == ext) return driver;
  }
  return {};
}

bool Polygonal(const OGRGeometry* g) {
  if (!g) return false;
  const OGRwkbGeometryType type = wkbFlatten(g->getGeometryType());
  return type == wkbPolygon || type == wkbMultiPolygon || type == wkbCurvePolygon ||
         type == wkbMultiSurface;
}

double Area(const OGRGeometry* g) {
  return Polygonal(g) ? OGR_G_Area(OGRGeometry::ToHandle(const_cast<OGRGeometry*>(g))) : 0;
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  return textio::Utf8FromPath(fs::absolute(textio::PathFromUtf8(path), ec));
}

// Features of a layer on their way: read, then through the fit on the team, then written.
struct FeatureOnItsWay {
  OGRFeatureUniquePtr in;
  std::unique_ptr<OGRFeature> out;  // the output layer's
  double before = 0, after = 0;     // the first geometry's area, m²
  OGREnvelope envelope;             // of the first output geometry, when indexed
  bool indexed = false;             // it goes into the spatial index
  bool unbounded = false;           // a vertex came out infinite or undefined: not written
};

struct FeatureBatch {
  std::size_t count = 0;
  std::vector<FeatureOnItsWay> features;
};

// One layer of the input copied into the output with its geometry through the fit: the
// calling thread reads and writes, in input order, while the team transforms the batch
// between them, as the map files' passes do.
class LayerCopy {
 public:
  LayerCopy(OGRLayer& from, GDALDataset& to, OGRSpatialReference& srs,
            const TFittedTransformation& fit, WorkTeam& team, GisFileResult& result,
            std::vector<DeferredSpatialIndex>& indexes)
      : from_(from),
        to_(to),
        srs_(srs),
        fit_(fit),
        team_(team),
        result_(result),
        indexes_(indexes),
        count_{from_.GetName(), 0, 0, from_.GetLayerDefn()->GetGeomFieldCount() > 0} {}

  void Run() {
    if (!count_.geometry) {
      result_.problems.push_back("warstwa " + count_.name +
                                 " bez geometrii: przepisano same atrybuty");
      result_.inputProblem = true;
    }
    layer_ = Create(count_.geometry);
    if (!layer_) {
      if (result_.error.empty()) {
        result_.error = "nie można utworzyć warstwy " + count_.name + ": " + CPLGetLastErrorMsg();
      }
      result_.writeFailure = true;
      return;
    }
    outDefn_ = layer_->GetLayerDefn();  // asked for here: a driver may complete it lazily
    from_.ResetReading();
    RunBatches<FeatureBatch>(
        team_, [this] { return more_; }, [this](FeatureBatch& b) { Read(b); },
        [this](FeatureBatch& b) {
          team_.Start(b.count, 16, [this, &b](std::size_t begin, std::size_t end) {
            CPLPushErrorHandler(CPLQuietErrorHandler);  // each thread has its own handlers
            for (std::size_t k = begin; k < end; ++k)
              Transform(b.features[k]);
            CPLPopErrorHandler();
          });
        },
        [this](FeatureBatch& b) { Write(b); });
    result_.layers.push_back(count_);
  }

 private:
  static constexpr std::size_t kBatch = 4096;

  OGRLayer* Create(bool geometry) {
    OGRFeatureDefn* defn = from_.GetLayerDefn();
    CPLStringList options;
    if (std::string(to_.GetDriverName()) == "GPKG") {
      if (*from_.GetFIDColumn()) options.SetNameValue("FID", from_.GetFIDColumn());
      if (geometry && *from_.GetGeometryColumn()) {
        options.SetNameValue("GEOMETRY_NAME", from_.GetGeometryColumn());
      }
      // The spatial index is made below and filled once the features are in.
      options.SetNameValue("SPATIAL_INDEX", "NO");
    }
    OGRLayer* layer =
        to_.CreateLayer(from_.GetName(), geometry ? &srs_ : nullptr,
                        geometry ? defn->GetGeomFieldDefn(0)->GetType() : wkbNone, options.List());
    if (!layer) return nullptr;
    for (int i = 1; i < defn->GetGeomFieldCount(); ++i) {
      OGRGeomFieldDefn field(defn->GetGeomFieldDefn(i));
      field.SetSpatialRef(&srs_);
      layer->CreateGeomField(&field);
    }
    // A format with fields of its own (DXF) has them already: only the others are made.
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
      OGRFieldDefn* field = defn->GetFieldDefn(i);
      if (layer->GetLayerDefn()->GetFieldIndex(field->GetNameRef()) < 0) {
        layer->CreateField(field);
      }
    }
    if (std::string(to_.GetDriverName()) == "GPKG" && geometry && *layer->GetGeometryColumn()) {
      indexes_.emplace_back();
      std::string error;
      if (!DeferSpatialIndex(to_, *layer, indexes_.back(), error)) {
        result_.error = "nie można utworzyć indeksu przestrzennego warstwy " +
                        std::string(from_.GetName()) + ": " + error;
        result_.writeFailure = true;
        return nullptr;
      }
      index_ = &indexes_.back();
    }
    return layer;
  }

  void Read(FeatureBatch& b) {
    b.features.resize(kBatch);
    for (b.count = 0; b.count < kBatch; ++b.count) {
      CPLErrorReset();
      b.features[b.count].in.reset(from_.GetNextFeature());
      if (b.features[b.count].in) continue;
      if (CPLGetLastErrorType() >= CE_Failure) {
        result_.problems.push_back("warstwa " + count_.name + ": błąd odczytu po " +
                                   std::to_string(count_.read + b.count) +
                                   " obiektach: " + CPLGetLastErrorMsg());
        result_.inputProblem = true;
      }
      more_ = false;
      break;
    }
    count_.read += static_cast<long long>(b.count);
  }

  // On the team: the feature as the output layer's, its geometry through the fit.
  void Transform(FeatureOnItsWay& f) const {
    const OGRFeature& feature = *f.in;
    f.out = std::make_unique<OGRFeature>(outDefn_);
    f.out->SetFrom(&feature, TRUE);
    f.out->SetFID(feature.GetFID());
    f.unbounded = false;
    for (int i = 0; i < f.out->GetGeomFieldCount(); ++i) {
      OGRGeometry* g = f.out->GetGeomFieldRef(i);
      if (!g) continue;
      FitTransformation through(fit_);
      g->transform(&through);
      if (through.NonFinite() > 0 && !g->IsEmpty()) f.unbounded = true;
    }
    const OGRGeometry* before =
        feature.GetGeomFieldCount() > 0 ? feature.GetGeomFieldRef(0) : nullptr;
    const OGRGeometry* after = f.out->GetGeomFieldCount() > 0 ? f.out->GetGeomFieldRef(0) : nullptr;
    f.before = Area(before);
    f.after = Area(after);
    f.indexed = index_ && after && !after->IsEmpty();
    if (f.indexed) after->getEnvelope(&f.envelope);
    f.indexed = f.indexed && Finite(f.envelope);
  }

  void Write(FeatureBatch& b) {
    for (std::size_t k = 0; k < b.count; ++k) {
      FeatureOnItsWay& f = b.features[k];
      if (f.unbounded) {
        result_.problems.push_back("warstwa " + std::string(from_.GetName()) + ", obiekt " +
                                   std::to_string(f.in->GetFID()) +
                                   ": współrzędne nieskończone lub nieokreślone: nie zapisano");
        continue;
      }
      if (!Write(*f.in, *f.out)) continue;
      ++count_.written;
      if (f.indexed) {
        const OGREnvelope& e = f.envelope;
        index_->entries.push_back({f.out->GetFID(), e.MinX, e.MaxX, e.MinY, e.MaxY});
      }
      if (f.before > 0 && std::fabs(f.after - f.before) > 1e-4 * f.before) {
        result_.areaChanges.push_back({from_.GetName(), f.in->GetFID(), f.before, f.after});
      }
    }
  }

  bool Write(const OGRFeature& feature, OGRFeature& out) {
    if (layer_->CreateFeature(&out) == OGRERR_NONE) return true;
    out.SetFID(OGRNullFID);  // a format that numbers its features itself
    if (layer_->CreateFeature(&out) == OGRERR_NONE) return true;
    result_.problems.push_back("warstwa " + std::string(from_.GetName()) + ", obiekt " +
                               std::to_string(feature.GetFID()) +
                               ": nie zapisano: " + CPLGetLastErrorMsg());
    return false;
  }

  OGRLayer& from_;
  GDALDataset& to_;
  OGRSpatialReference& srs_;
  const TFittedTransformation& fit_;
  WorkTeam& team_;
  GisFileResult& result_;
  std::vector<DeferredSpatialIndex>& indexes_;
  GisLayerCount count_;
  OGRLayer* layer_ = nullptr;
  OGRFeatureDefn* outDefn_ = nullptr;
  DeferredSpatialIndex* index_ = nullptr;  // this layer's, in a GeoPackage
  bool more_ = true;
};

void WriteProtocol(const TransformationResult& t, GisFileResult& r) {
  textio::TextFileWriter out;
  out.Create(r.protocol);
  const auto line = [&](const std::string& text) { out.WriteUtf8Line(text); };
  GisProtocolOpening(r, line);
  line(r.inputCrs.empty() ? " Układ pliku wejściowego: nieokreślony - przyjęto układ pierwotny "
                            "przebiegu"
                          : " Układ pliku wejściowego: " + r.inputCrs);
  line(r.epsg ? " Układ pliku wynikowego: EPSG:" + std::to_string(r.epsg)
              : std::string(" Układ pliku wynikowego: nieokreślony (strefa \"2000\" nieznana)"));
  GisProtocolFit(t, line);
  line(" ");
  std::vector<CountRow> layers;
  for (const GisLayerCount& l : r.layers)
    layers.push_back({l.name, l.read, l.written});
  CountTable(" Warstwa                          wczytano   zapisano", layers, 33, 9, line);
  line(" ");
  line(" ZMIANY POWIERZCHNI WIELOBOKÓW PONAD 0.01 % (m2)");
  if (r.areaChanges.empty()) line("  brak");
  for (const GisAreaChange& c : r.areaChanges) {
    std::string row = "  " + c.layer + " obiekt " + std::to_string(c.fid) + ":";
    textio::AppendFixed(row, c.before, 16, 2);
    row += " ->";
    textio::AppendFixed(row, c.after, 16, 2);
    textio::AppendFixed(row, 100 * (c.after - c.before) / c.before, 10, 4);
    line(row + " %");
  }
  line(" ");
  line(r.problems.empty() && r.error.empty() ? " Błędów nie stwierdzono" : " BŁĘDY");
  for (const std::string& p : r.problems)
    line("  *** " + p);
  if (!r.error.empty()) line("  *** pliku wynikowego nie zapisano: " + r.error);
  r.protocolWritten = out.Close();
  if (!r.protocolWritten) r.writeFailure = true;
}

// Moves every file of the finished temporary folder into place beside it.
bool MoveIntoPlace(const fs::path& temporary, const fs::path& folder, std::string& failure) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(temporary, ec)) {
    const std::string from = textio::Utf8FromPath(entry.path());
    const std::string to = textio::Utf8FromPath(folder / entry.path().filename());
    if (!textio::SyncFileByName(from) || !textio::RenameReplacing(from, to)) {
      failure = to + ": " + CPLGetLastErrorMsg();
      return false;
    }
  }
  return !ec;
}

bool IsGml(const std::string& path) {
  const std::string extension = LowerExtension(path);
  return extension == ".gml" || extension == ".xml";
}

// Why GDAL opened no vector data from `path`: the system's reason when the file cannot be
// read, GDAL's when it has one, else that no driver knows the file.
std::string OpenFailure(const std::string& path) {
  const std::string gdal = CPLGetLastErrorMsg();
  std::error_code ec;
  const fs::path file = textio::PathFromUtf8(path);
  if (!fs::exists(file, ec)) return textio::SystemReason(ENOENT);
  if (fs::is_directory(file, ec)) return textio::SystemReason(EISDIR);
  if (!gdal.empty()) return gdal;
  return "GDAL nie rozpoznaje w nim danych wektorowych żadnego formatu, który czyta";
}

void Convert(const GisJob& job, const TransformationResult& t, GisFileResult& r) {
  // GDAL's GML driver would leave its schema guess (a .gfs file) beside the input.
  const char* const openOptions[] = {"WRITE_GFS=NO", nullptr};
  std::unique_ptr<GDALDataset> in(
      GDALDataset::Open(job.input.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr,
                        IsGml(job.input) ? openOptions : nullptr, nullptr));
  if (!in) {
    r.error = "nie można otworzyć pliku: " + OpenFailure(job.input);
    r.inputProblem = true;
    return;
  }
  for (int i = 0; i < in->GetLayerCount() && r.inputCrs.empty(); ++i) {
    // GeoPackage names a layer without a system "Undefined geographic SRS".
    const OGRSpatialReference* srs = in->GetLayer(i)->GetSpatialRef();
    const std::string name = srs && srs->GetName() ? srs->GetName() : "";
    if (srs && !srs->IsEmpty() && name.rfind("Undefined", 0) != 0) {
      r.inputCrs = name.empty() ? "bez nazwy" : name;
    }
  }
  const fs::path output = textio::PathFromUtf8(r.output);
  std::string driverName = DriverOfExtension(r.output);
  if (driverName.empty()) driverName = in->GetDriverName();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName.c_str());
  if (!driver || !driver->GetMetadataItem(GDAL_DCAP_CREATE)) {
    r.error = "GDAL nie zapisuje plików formatu " + driverName;
    r.writeFailure = true;
    return;
  }
  r.driver = driverName;
  OGRSpatialReference srs;
  bool mixed = false;
  r.epsg = ZoneOfFit(t.FittedTransformation, mixed);
  if (r.epsg == 0 || srs.importFromEPSG(r.epsg) != OGRERR_NONE) {
    r.epsg = 0;
    srs.SetLocalCS("Undefined cartesian SRS");
  }
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  const fs::path temporary =
      output.parent_path() /
      textio::PathFromUtf8(textio::Utf8FromPath(output.filename()) + textio::kTemporaryMark +
                           std::to_string(textio::ProcessNumber()) + "-gis");
  std::error_code ec;
  fs::remove_all(temporary, ec);
  if (!fs::create_directory(temporary, ec)) {
    r.error = "nie można zapisywać w folderze " + textio::Utf8FromPath(output.parent_path()) +
              ": " + textio::SystemReason(ec.default_error_condition().value());
    r.writeFailure = true;
    return;
  }
  const std::string inside = textio::Utf8FromPath(temporary / output.filename());
  std::vector<DeferredSpatialIndex> indexes;  // one per GeoPackage layer with geometry
  WorkTeam team(ThreadsFor(job.threads));
  std::unique_ptr<GDALDataset> out(driver->Create(inside.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (out) {
    // A database format writes every feature in one transaction of its own otherwise.
    const bool transaction = out->StartTransaction(FALSE) == OGRERR_NONE;
    for (int i = 0; i < in->GetLayerCount() && !r.writeFailure; ++i)
      LayerCopy(*in->GetLayer(i), *out, srs, t.FittedTransformation, team, r, indexes).Run();
    if (transaction && out->CommitTransaction() != OGRERR_NONE) {
      r.error = "błąd zapisu " + r.output + ": " + CPLGetLastErrorMsg();
      r.writeFailure = true;
    }
    out->FlushCache();
  } else {
    r.error = "nie można utworzyć pliku " + r.output + ": " + CPLGetLastErrorMsg();
    r.writeFailure = true;
  }
  out.reset();  // closes the files
  std::string failure;
  if (!r.writeFailure && !indexes.empty() && !FillSpatialIndexes(inside, indexes, failure)) {
    r.error = "nie można wypełnić indeksu przestrzennego: " + failure;
    r.writeFailure = true;
  }
  if (!r.writeFailure && MoveIntoPlace(temporary, output.parent_path(), failure)) {
    r.written = true;
  } else if (!r.writeFailure) {
    r.error = "błąd zapisu " + failure;
    r.writeFailure = true;
  }
  fs::remove_all(temporary, ec);
}

}  // namespace

GisFileResult ConvertGisFile(const GisJob& job, const TransformationResult& transformation) {
  GisFileResult r;
  r.input = Absolute(job.input);
  r.output = Absolute(job.output.empty() ? DefaultGisOutput(job.input) : job.output);
  r.protocol = textio::PathInFolder(job.protocolFolder, GisProtocolName(job.input));
  if (!transformation.FittedTransformation.Usable()) {
    r.error = "brak transformacji w tym przebiegu";
    return r;
  }
  std::error_code ec;
  if (fs::equivalent(textio::PathFromUtf8(r.input), textio::PathFromUtf8(r.output), ec)) {
    r.error = "plik wynikowy jest plikiem wejściowym";
    r.writeFailure = true;
  } else {
    PrepareGdal();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    Convert(job, transformation, r);
    CPLPopErrorHandler();
  }
  WriteProtocol(transformation, r);
  return r;
}
