// The register's GML through zornak_batch --gis, rewritten in place: the output parsed beside
// the input (with the tests' own expat handlers) gives the same events but for the numbers
// of the positions; each number is TransformPoint of its input rounded to its own decimals
// (printf's rounding of the 80-bit value); GDAL's GML driver and xmllint read the output as
// they read the input; each bad input is named, writes nothing and is exit 3.
#include <expat.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "bench/GmlGenerator.h"
#include "inplace/FitGeometry.h"
#include "tests/BatchCall.h"
#include "tests/JsonValue.h"
#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "transform/RunTransformation.h"
#include "transform/TransformPoint.h"

namespace {

// What a reader of the file sees: elements with their attributes, texts, comments and
// CDATA marks, in order; the texts of coordinate elements apart, as their numbers.
struct Coordinates {
  std::vector<std::string> numbers;
  int dimension = 2;  // srsDimension of the element or its nearest ancestor
  bool box = false;   // a corner of a gml:Envelope or gml:Box
};
struct Events {
  std::vector<std::string> events;
  std::vector<Coordinates> coordinates;
  bool wellFormed = false;
};

bool IsCoordinateElement(std::string_view name) {
  for (std::string_view local :
       {"|pos", "|posList", "|coordinates", "|lowerCorner", "|upperCorner"}) {
    if (name.size() > local.size() && name.substr(name.size() - local.size()) == local &&
        name.substr(0, 26) == "http://www.opengis.net/gml")
      return true;
  }
  return false;
}

class EventReader {
 public:
  Events Read(const std::string& bytes) {
    XML_Parser p = XML_ParserCreateNS(nullptr, '|');
    XML_SetUserData(p, this);
    XML_SetElementHandler(
        p,
        [](void* d, const XML_Char* name, const XML_Char** atts) {
          auto* r = static_cast<EventReader*>(d);
          r->Text();
          std::string e = std::string("<") + name;
          int dimension = r->dimensions_.empty() ? 2 : r->dimensions_.back();
          for (const XML_Char** a = atts; *a; a += 2) {
            e += std::string(" ") + a[0] + "=" + a[1];
            if (std::string_view(a[0]) == "srsDimension") dimension = std::atoi(a[1]);
          }
          r->dimensions_.push_back(dimension);
          const std::string_view n(name);
          if (n.ends_with("|Envelope") || n.ends_with("|Box")) ++r->boxes_;
          r->out_.events.push_back(e);
          r->inCoordinates_ = IsCoordinateElement(name);
        },
        [](void* d, const XML_Char* name) {
          auto* r = static_cast<EventReader*>(d);
          if (r->inCoordinates_) {
            std::istringstream words(r->text_);
            Coordinates c;
            for (std::string w; words >> w;)
              c.numbers.push_back(w);
            c.dimension = r->dimensions_.back();
            c.box = r->boxes_ > 0;
            r->out_.coordinates.push_back(c);
            r->text_.clear();
            r->inCoordinates_ = false;
          }
          const std::string_view n(name);
          if (n.ends_with("|Envelope") || n.ends_with("|Box")) --r->boxes_;
          r->dimensions_.pop_back();
          r->Text();
          r->out_.events.push_back(std::string("</") + name);
        });
    XML_SetCharacterDataHandler(p, [](void* d, const XML_Char* s, int n) {
      static_cast<EventReader*>(d)->text_.append(s, n);
    });
    XML_SetCommentHandler(p, [](void* d, const XML_Char* s) {
      auto* r = static_cast<EventReader*>(d);
      r->Text();
      r->out_.events.push_back(std::string("<!--") + s);
    });
    XML_SetCdataSectionHandler(
        p, [](void* d) { static_cast<EventReader*>(d)->out_.events.push_back("<![CDATA["); },
        [](void* d) {
          auto* r = static_cast<EventReader*>(d);
          r->Text();
          r->out_.events.push_back("]]>");
        });
    XML_SetUnknownEncodingHandler(
        p,
        [](void*, const XML_Char*, XML_Encoding* info) -> int {
          // Enough for comparing: each byte as itself.
          for (int k = 0; k < 256; ++k)
            info->map[k] = k;
          info->data = nullptr;
          info->convert = nullptr;
          info->release = nullptr;
          return 1;
        },
        nullptr);
    out_.wellFormed =
        XML_Parse(p, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(p);
    return out_;
  }

 private:
  void Text() {
    if (inCoordinates_) return;
    if (!text_.empty()) out_.events.push_back("text " + text_);
    text_.clear();
  }
  Events out_;
  std::string text_;
  bool inCoordinates_ = false;
  std::vector<int> dimensions_;
  int boxes_ = 0;
};

int Decimals(const std::string& number) {
  const std::size_t point = number.find_first_of(".");
  return point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
}

// The tests' process runs in a Polish locale: numbers are read and printed by <charconv>,
// which knows none (and rounds the 80-bit value exactly, as printf does).
std::string Rounded(long double value, int decimals) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return std::string(text, r.ptr);
}

long double Value(const std::string& text) {
  long double value = NAN;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The numbers of a GML 2 tuple "x,y" or "x,y,z" as words.
std::vector<std::string> Words(const std::vector<std::string>& tokens) {
  std::vector<std::string> words;
  for (const std::string& t : tokens) {
    std::istringstream parts(t);
    for (std::string w; std::getline(parts, w, ',');)
      words.push_back(w);
  }
  return words;
}

class GmlInPlace : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.CopyDemo();
    RecordingWindow window;
    const auto input = ReadTransformationInput(folder_.Path(), window);
    TransformationWork work;
    fit_ = ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
    ASSERT_TRUE(fit_->FittedTransformation.Usable());
  }

  JsonValue Run(const std::vector<std::string>& extra, int status) {
    std::vector<std::string> args = {"--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(folder_.Path());
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, status) << r.out << r.err;
    const std::optional<JsonValue> json = ParseJson(r.out);
    return json ? *json : JsonValue{};
  }

  const JsonValue& Gis(const JsonValue& run) { return run["gis"].items.at(0); }

  std::string Protocol(const std::string& name) {
    std::string text;
    for (const std::string& line : Utf8Lines(folder_.Read("PROTOKOL_GIS_" + name + ".txt")))
      text += line + "\n";
    return text;
  }

  // Input and output give the same events; every position's numbers are the fit's of the
  // input's, each to its own decimals, a third coordinate as written; a box's corners hold
  // the box of its corners through the fit, less than one last decimal wider.
  void ExpectOnlyPositionsMoved(const std::string& in, const std::string& out, bool gml2) {
    const Events before = EventReader().Read(in), after = EventReader().Read(out);
    ASSERT_TRUE(before.wellFormed && after.wellFormed);
    EXPECT_EQ(before.events, after.events);
    ASSERT_EQ(before.coordinates.size(), after.coordinates.size());
    std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> box;
    for (std::size_t e = 0; e < before.coordinates.size(); ++e) {
      const Coordinates& c = before.coordinates[e];
      const std::vector<std::string> a = gml2 ? Words(c.numbers) : c.numbers;
      const std::vector<std::string> b =
          gml2 ? Words(after.coordinates[e].numbers) : after.coordinates[e].numbers;
      ASSERT_EQ(a.size(), b.size());
      ASSERT_EQ(a.size() % c.dimension, 0u);
      for (std::size_t k = 0; k < a.size(); k += c.dimension) {
        const std::vector<std::string> from(a.begin() + k, a.begin() + k + c.dimension);
        const std::vector<std::string> to(b.begin() + k, b.begin() + k + c.dimension);
        if (c.box) {
          box.emplace_back(from, to);
          continue;
        }
        ExpectThroughFit(from, to);
      }
    }
    ExpectBoxesThroughFit(box);
  }

  void ExpectThroughFit(const std::vector<std::string>& from, const std::vector<std::string>& to) {
    TransformedPoint t;
    TransformPoint(fit_->FittedTransformation, Value(from[0]), Value(from[1]), t);
    EXPECT_EQ(to[0], Rounded(t.Xk, Decimals(from[0]))) << from[0];
    EXPECT_EQ(to[1], Rounded(t.Yk, Decimals(from[1]))) << from[1];
    if (from.size() == 3) {
      EXPECT_EQ(to[2], from[2]);
    }
  }

  // Pairs of corners (lower, upper) in order.
  void ExpectBoxesThroughFit(
      const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>& corners) {
    ASSERT_EQ(corners.size() % 2, 0u);
    for (std::size_t k = 0; k < corners.size(); k += 2) {
      const auto value = [](const std::string& s) { return Value(s); };
      const auto& [lowIn, lowOut] = corners[k];
      const auto& [highIn, highOut] = corners[k + 1];
      long double xMin = INFINITY, xMax = -INFINITY, yMin = INFINITY, yMax = -INFINITY;
      for (const std::string& x : {lowIn[0], highIn[0]}) {
        for (const std::string& y : {lowIn[1], highIn[1]}) {
          TransformedPoint t;
          TransformPoint(fit_->FittedTransformation, value(x), value(y), t);
          xMin = std::min(xMin, t.Xk), xMax = std::max(xMax, t.Xk);
          yMin = std::min(yMin, t.Yk), yMax = std::max(yMax, t.Yk);
        }
      }
      const long double step = std::pow(10.0L, -Decimals(lowIn[0]));
      EXPECT_LE(value(lowOut[0]), xMin);
      EXPECT_GT(value(lowOut[0]), xMin - step);
      EXPECT_LE(value(lowOut[1]), yMin);
      EXPECT_GT(value(lowOut[1]), yMin - step);
      EXPECT_GE(value(highOut[0]), xMax);
      EXPECT_LT(value(highOut[0]), xMax + step);
      EXPECT_GE(value(highOut[1]), yMax);
      EXPECT_LT(value(highOut[1]), yMax + step);
    }
  }

  TestFolder folder_;
  std::shared_ptr<const TransformationResult> fit_;
};

const char* kSmallEgib = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- próbka EGiB -->
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml/3.2" xmlns:egb="ewidencjaGruntowIBudynkow:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" gml:id="fc1">
  <gml:featureMember>
    <egb:EGB_DzialkaEwidencyjna gml:id="DZ1">
      <egb:geometria>
        <gml:Polygon gml:id="DZ1.G" srsName="urn:ogc:def:crs:EPSG::2178">
          <gml:exterior><gml:LinearRing><gml:posList>5567400.12 7456700.45 5567450.10 7456700.40
            5567450.15 7456760.33 5567400.12 7456700.45</gml:posList></gml:LinearRing></gml:exterior>
        </gml:Polygon>
      </egb:geometria>
      <egb:punktGranicyDzialki xlink:href="#PG1"/>
    </egb:EGB_DzialkaEwidencyjna>
  </gml:featureMember>
  <gml:featureMember>
    <egb:EGB_PunktGraniczny gml:id="PG1">
      <egb:geometria><gml:Point gml:id="PG1.G" srsName="http://www.opengis.net/def/crs/EPSG/0/2178"><gml:pos>5567400.12 7456700.45</gml:pos></gml:Point></egb:geometria>
    </egb:EGB_PunktGraniczny>
  </gml:featureMember>
  <gml:featureMember>
    <egb:EGB_Etykieta gml:id="ET1">
      <egb:geometria><gml:Point gml:id="ET1.G" srsName="urn:ogc:def:crs:EPSG::2178"><gml:pos>5567425.5 7456730.251</gml:pos></gml:Point></egb:geometria>
      <egb:katObrotu>0.523598775598299</egb:katObrotu>
    </egb:EGB_Etykieta>
  </gml:featureMember>
</gml:FeatureCollection>
)";

// The issue's own case: the same file back, the positions moved by the fit to the decimals
// each had, the links, ids, comment and label angle as they were; exit 0.
TEST_F(GmlInPlace, TheSmallEgibFileComesBackWithOnlyItsPositionsMoved) {
  folder_.Write("egib.gml", kSmallEgib);
  const JsonValue run = Run({"--gis", folder_.File("egib.gml")}, 0);
  const JsonValue& g = Gis(run);
  EXPECT_EQ(g["route"].text, "in_place");
  EXPECT_EQ(g["positions"].number, 6);
  EXPECT_EQ(g["outside_hull"].number, 0);
  const std::string out = folder_.Read("egib_2000.gml");
  // Expected positions: TransformPoint of each input pair, rounded by printf.
  const TFittedTransformation& f = fit_->FittedTransformation;
  std::string expected = kSmallEgib;
  const std::vector<std::tuple<std::string, std::string, int, int>> pairs = {
      {"5567400.12", "7456700.45", 2, 2},
      {"5567450.10", "7456700.40", 2, 2},
      {"5567450.15", "7456760.33", 2, 2},
      {"5567425.5", "7456730.251", 1, 3}};
  for (const auto& [x, y, dx, dy] : pairs) {
    TransformedPoint t;
    TransformPoint(f, Value(x), Value(y), t);
    const std::string from = x + " " + y, to = Rounded(t.Xk, dx) + " " + Rounded(t.Yk, dy);
    for (std::size_t at; (at = expected.find(from)) != std::string::npos;)
      expected.replace(at, from.size(), to);
  }
  EXPECT_EQ(out, expected);
  const std::string protocol = Protocol("egib.gml");
  EXPECT_NE(protocol.find(" Droga: przepisanie w miejscu"), std::string::npos) << protocol;
  EXPECT_NE(protocol.find(" egb:EGB_DzialkaEwidencyjna                            1          4"),
            std::string::npos)
      << protocol;
  EXPECT_NE(protocol.find("katObrotu): 1, pozostawione bez zmian"), std::string::npos);
  EXPECT_NE(protocol.find(" Błędów nie stwierdzono"), std::string::npos);
}

// The generator's files in each flavour: the same events, every number to its decimals,
// the same layers and objects for GDAL, accepted by xmllint.
TEST_F(GmlInPlace, GeneratedFilesOfEveryFlavourKeepEverythingButTheirPositions) {
  struct Case {
    const char* name;
    GmlFlavour flavour;
  };
  GmlFlavour gml2, cp1250;
  gml2.gml2 = true;
  cp1250.cp1250 = true;
  cp1250.crlf = true;
  for (const Case& c :
       {Case{"gml32.gml", GmlFlavour{}}, Case{"gml2.gml", gml2}, Case{"cp1250.xml", cp1250}}) {
    std::ostringstream file;
    WriteGml(file, c.flavour);
    folder_.Write(c.name, file.str());
    const JsonValue run = Run({"--gis", folder_.File(c.name)}, 0);
    EXPECT_EQ(Gis(run)["positions"].number, GmlPositions(c.flavour)) << c.name;
    const std::string stem = std::string(c.name).substr(0, std::string(c.name).find('.'));
    const std::string outName = stem + "_2000" + std::string(c.name).substr(stem.size());
    const std::string out = folder_.Read(outName);
    ExpectOnlyPositionsMoved(file.str(), out, c.flavour.gml2);
    // Nothing but digits differs, byte for byte.
    std::string a = file.str(), b = out;
    std::erase_if(a, [](char ch) { return ch >= '0' && ch <= '9'; });
    std::erase_if(b, [](char ch) { return ch >= '0' && ch <= '9'; });
    EXPECT_EQ(a, b) << c.name;
    const std::string xmllint =
        CommandOutput("xmllint --noout '" + folder_.File(outName) + "' 2>&1 && echo ok");
    EXPECT_EQ(xmllint, "ok\n") << c.name;
    const auto summary = [&](const std::string& name) {
      std::string s =
          CommandOutput("ogrinfo -ro -so -al -oo WRITE_GFS=NO '" + folder_.File(name) + "' 2>&1");
      std::string kept;
      std::istringstream lines(s);
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Layer name:", 0) == 0 || line.rfind("Feature Count:", 0) == 0)
          kept += line + "\n";
      }
      return kept;
    };
    EXPECT_FALSE(summary(c.name).empty()) << c.name;
    EXPECT_EQ(summary(c.name), summary(outName)) << c.name;
  }
}

// A collection of one point feature whose geometry is `geometry`.
std::string OnePoint(const std::string& geometry,
                     const std::string& declaration = "<?xml version=\"1.0\"?>\n") {
  return declaration +
         "<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml/3.2\" "
         "xmlns:egb=\"ewidencjaGruntowIBudynkow:1.0\">\n"
         "  <gml:featureMember><egb:EGB_PunktGraniczny gml:id=\"PG7\">\n"
         "    <egb:geometria>" +
         geometry +
         "</egb:geometria>\n"
         "  </egb:EGB_PunktGraniczny></gml:featureMember>\n"
         "</gml:FeatureCollection>\n";
}

const std::string kPoint = "<gml:Point srsName=\"urn:ogc:def:crs:EPSG::2178\">";

// Each bad input is named in the protocol (with its line, column and the nearest gml:id
// where it has them), writes no output, leaves an earlier output alone, and is exit 3.
TEST_F(GmlInPlace, EachBadInputIsNamedWritesNothingAndIsExit3) {
  struct Case {
    const char* what;
    std::string file, message;
  };
  // A whole file in UTF-16 (little-endian, with its byte order mark).
  std::string utf16 = "\xFF\xFE";
  for (char c : OnePoint(kPoint + "<gml:pos>5567400.12 7456700.45</gml:pos></gml:Point>",
                         "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  const Case cases[] = {
      {"not well-formed", OnePoint(kPoint + "<gml:pos>5567400.12 7456700.45</gml:Pos></gml:Point>"),
       "plik nie jest poprawnym XML: znacznik zamykający nie pasuje do otwierającego (wiersz 4"},
      {"a number unread", OnePoint(kPoint + "<gml:pos>5567400.12 7456700.4x</gml:pos></gml:Point>"),
       "wiersz 4, kolumna 88 (gml:id PG7): nie można odczytać liczby \"7456700.4x\""},
      {"an exponent", OnePoint(kPoint + "<gml:pos>5.56740012e6 7456700.45</gml:pos></gml:Point>"),
       "nie można odczytać liczby \"5.56740012e6\""},
      {"a wrong dimension",
       OnePoint(kPoint + "<gml:pos>5567400.12 7456700.45 12.5</gml:pos></gml:Point>"),
       "gml:pos: 3 liczb nie składa się na pozycje o wymiarze 2"},
      {"a posList of an odd count",
       OnePoint("<gml:LineString srsName=\"urn:ogc:def:crs:EPSG::2178\"><gml:posList>5567400.12 "
                "7456700.45 5567401.12</gml:posList></gml:LineString>"),
       "gml:posList: 3 liczb nie składa się na pozycje o wymiarze 2"},
      {"a radius",
       OnePoint("<gml:Curve srsName=\"urn:ogc:def:crs:EPSG::2178\"><gml:segments>"
                "<gml:CircleByCenterPoint numArc=\"1\"><gml:pos>5567400.12 7456700.45</gml:pos>"
                "<gml:radius uom=\"m\">2.5</gml:radius></gml:CircleByCenterPoint>"
                "</gml:segments></gml:Curve>"),
       "gml:radius: wartość geometrii, która nie jest pozycją"},
      {"another system",
       OnePoint("<gml:Point srsName=\"urn:ogc:def:crs:EPSG::2180\"><gml:pos>400000.12 "
                "500000.45</gml:pos></gml:Point>"),
       "układ odniesienia \"urn:ogc:def:crs:EPSG::2180\" nie jest układem \"2000\""},
      {"another zone than the fit's",
       OnePoint("<gml:Point srsName=\"urn:ogc:def:crs:EPSG::2177\"><gml:pos>5567400.12 "
                "6456700.45</gml:pos></gml:Point>"),
       "transformacja należy do strefy EPSG:2178"},
      {"axes the other way",
       OnePoint(kPoint + "<gml:pos>7456700.45 5567400.12</gml:pos></gml:Point>"),
       "pozycja poza obszarem układu \"2000\" (północna 7456700.45)"},
      {"an easting of another zone",
       OnePoint(kPoint + "<gml:pos>5567400.12 6456700.45</gml:pos></gml:Point>"),
       "pozycja nie leży w strefie EPSG:2178"},
      {"a comment among the numbers",
       OnePoint(kPoint + "<gml:pos>5567400.12 <!-- y --> 7456700.45</gml:pos></gml:Point>"),
       "gml:pos z komentarzem, sekcją CDATA lub odwołaniem do znaku"},
      {"UTF-16", utf16, "plik w kodowaniu UTF-16"},
  };
  for (const Case& c : cases) {
    folder_.Write("bad.gml", c.file);
    folder_.Write("bad_2000.gml", "earlier");
    const JsonValue run = Run({"--gis", folder_.File("bad.gml")}, 3);
    EXPECT_TRUE(Gis(run)["output"].IsNull()) << c.what;
    EXPECT_EQ(folder_.Read("bad_2000.gml"), "earlier") << c.what;
    folder_.Remove("bad_2000.gml");
    Run({"--gis", folder_.File("bad.gml")}, 3);
    EXPECT_FALSE(folder_.Exists("bad_2000.gml")) << c.what;
    const std::string protocol = Protocol("bad.gml");
    EXPECT_NE(protocol.find(c.message), std::string::npos) << c.what << "\n" << protocol;
    EXPECT_NE(protocol.find("pliku wynikowego nie zapisano"), std::string::npos) << c.what;
    std::vector<std::string> left;
    for (const std::string& name : folder_.Names()) {
      if (name.find(".zornak-tmp-") != std::string::npos) left.push_back(name);
    }
    EXPECT_TRUE(left.empty()) << c.what;
  }
}

// The forms of the axis order: a bare EPSG code and no srsName at all are taken northing
// first, as the register writes, and the protocol says so; GDAL's route on request.
TEST_F(GmlInPlace, TheFormsOfTheSystemAreTakenAsTheRegisterWritesThemAndSaidSo) {
  const struct Case {
    std::string geometry, note;
  } cases[] = {
      {"<gml:Point srsName=\"EPSG:2178\"><gml:pos>5567400.12 7456700.45</gml:pos></gml:Point>",
       "Uwaga: układ \"EPSG:2178\" zapisany bez osi: przyjęto północną pierwszą"},
      {"<gml:Point><gml:pos>5567400.12 7456700.45</gml:pos></gml:Point>",
       "Uwaga: pozycje bez układu odniesienia (srsName): przyjęto północną pierwszą"},
      {"<gml:Point srsName=\"http://www.opengis.net/gml/srs/epsg.xml#2178\"><gml:pos>7456700.45 "
       "5567400.12</gml:pos></gml:Point>",
       "przyjęto wschodnią pierwszą"},
  };
  TransformedPoint t;
  TransformPoint(fit_->FittedTransformation, Value("5567400.12"), Value("7456700.45"), t);
  for (const Case& c : cases) {
    folder_.Write("p.gml", OnePoint(c.geometry));
    Run({"--gis", folder_.File("p.gml")}, 0);
    EXPECT_NE(Protocol("p.gml").find(c.note), std::string::npos) << Protocol("p.gml");
    const std::string out = folder_.Read("p_2000.gml");
    const bool eastFirst = c.note.find("wschodnią") != std::string::npos;
    const std::string pos = eastFirst ? Rounded(t.Yk, 2) + " " + Rounded(t.Xk, 2)
                                      : Rounded(t.Xk, 2) + " " + Rounded(t.Yk, 2);
    EXPECT_NE(out.find("<gml:pos>" + pos + "</gml:pos>"), std::string::npos) << out;
  }
  const JsonValue gdal = Run({"--gis-via-gdal", "--gis", folder_.File("p.gml")}, 0);
  EXPECT_EQ(Gis(gdal)["route"].text, "gdal");
  EXPECT_NE(Protocol("p.gml").find(" Droga: GDAL (obiekty proste)"), std::string::npos);
  EXPECT_FALSE(folder_.Exists("p.gfs"));  // the input's folder gets nothing from GDAL
}

// Positions beyond the adjustment points' hull are counted, the farthest named by its
// object; the shifts are those of the fit.
TEST_F(GmlInPlace, PositionsBeyondTheAdjustmentPointsAreCountedAndTheFarthestNamed) {
  folder_.Write("p.gml",
                OnePoint("<gml:MultiPoint srsName=\"urn:ogc:def:crs:EPSG::2178\">"
                         "<gml:pointMember><gml:Point><gml:pos>5567400.12 7456700.45</gml:pos>"
                         "</gml:Point></gml:pointMember><gml:pointMember><gml:Point><gml:pos>"
                         "5572400.12 7456700.45</gml:pos></gml:Point></gml:pointMember>"
                         "</gml:MultiPoint>"));
  const JsonValue run = Run({"--gis", folder_.File("p.gml")}, 0);
  EXPECT_EQ(Gis(run)["outside_hull"].number, 1);
  EXPECT_EQ(Gis(run)["positions"].number, 2);
  EXPECT_NE(Protocol("p.gml").find("(gml:id PG7)"), std::string::npos) << Protocol("p.gml");
  TransformedPoint t;
  long double largest = 0;
  for (const char* x : {"5567400.12", "5572400.12"}) {
    TransformPoint(fit_->FittedTransformation, Value(x), Value("7456700.45"), t);
    largest = std::max(largest, std::hypot(t.Xk - Value(x), t.Yk - Value("7456700.45")));
  }
  EXPECT_NEAR(Gis(run)["largest_shift"].number, static_cast<double>(largest), 1e-9);
}

}  // namespace
