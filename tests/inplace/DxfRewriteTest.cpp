// CAD drawings through zornak_batch --gis, rewritten in place, read back as a CAD program
// reads them: the drawings are made by the project's generator on ezdxf (Debian's
// python3-ezdxf), and ezdxf reads input and output (tests/inplace/dxf_geometry.py). The same
// group codes in the same order and every other value byte for byte; each model-space
// position the fit's (TransformPoint); each angle, radius and vector turned and scaled by a
// finite difference of the fit of the tests' own (central, 0.5 m); paper space and blocks
// as they were; no more audit errors; each bad input named, nothing written, exit 3.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <sstream>

#include "tests/BatchCall.h"
#include "tests/JsonValue.h"
#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "transform/RunTransformation.h"
#include "transform/TransformPoint.h"

namespace {

const std::string kPython = "/usr/bin/python3";
const std::string kGenerator = std::string(ZORNAK_SOURCE_DIR) + "/bench/make_dxf.py";
const std::string kGeometry = std::string(ZORNAK_SOURCE_DIR) + "/tests/inplace/dxf_geometry.py";

bool HaveEzdxf() {
  return CommandOutput(kPython + " -c 'import ezdxf; print(1)' 2>/dev/null") == "1\n";
}

long double Value(const std::string& text) {
  long double value = NAN;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// What ezdxf reads in a drawing, by the helper's lines.
struct Drawing {
  std::vector<std::string> entities;                       // "handle type layer space"
  std::map<std::string, std::vector<std::string>> values;  // "P handle k" -> its numbers
  std::map<std::string, std::string> space;                // handle -> space
  std::map<std::string, std::string> first;                // handle -> its first "P" key
  int audit = -1;
};

Drawing Read(const std::string& path) {
  Drawing d;
  std::istringstream lines(CommandOutput(kPython + " '" + kGeometry + "' '" + path + "' 2>&1"));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
    if (w.empty()) continue;
    if (w[0] == "E" && w.size() == 5) {
      d.entities.push_back(w[1] + " " + w[2] + " " + w[3] + " " + w[4]);
      d.space[w[1]] = w[4];
    } else if (w[0] == "AUDIT") {
      d.audit = std::stoi(w[1]);
    } else if (w.size() >= 4) {
      const std::string key = w[0] + " " + w[1] + " " + w[2];
      d.values[key] = std::vector<std::string>(w.begin() + 3, w.end());
      if (w[0] == "P" && !d.first.count(w[1])) d.first[w[1]] = key;
    }
  }
  return d;
}

// The group-code pairs of a file: code line and value line, each with its line end.
std::vector<std::pair<std::string, std::string>> Pairs(const std::string& bytes) {
  std::vector<std::string> lines;
  for (std::size_t from = 0; from < bytes.size();) {
    const std::size_t end = bytes.find('\n', from);
    const std::size_t to = end == std::string::npos ? bytes.size() : end + 1;
    lines.push_back(bytes.substr(from, to - from));
    from = to;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t k = 0; k + 1 < lines.size(); k += 2)
    pairs.emplace_back(lines[k], lines[k + 1]);
  return pairs;
}

class DxfInPlace : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveEzdxf()) GTEST_SKIP() << "no python3-ezdxf";
    folder_.CopyDemo();
    RecordingWindow window;
    const auto input = ReadTransformationInput(folder_.Path(), window);
    TransformationWork work;
    fit_ = ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
  }

  int Run(const std::vector<std::string>& extra, JsonValue* json = nullptr) {
    std::vector<std::string> args = {"--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(folder_.Path());
    const BatchResult r = Batch(args);
    if (json) *json = ParseJson(r.out).value_or(JsonValue{});
    return r.status;
  }

  std::string Make(const std::string& name, const std::string& options) {
    const std::string path = folder_.File(name);
    CommandOutput(kPython + " '" + kGenerator + "' '" + path + "' " + options + " 2>&1");
    return path;
  }

  // The fit's turn and scale at a drawing point (X easting, Y northing) by central
  // differences over 0.5 m: the angle, in the drawing's counter-clockwise sense.
  std::pair<long double, long double> Turn(long double X, long double Y) {
    const TFittedTransformation& f = fit_->FittedTransformation;
    constexpr long double h = 0.25;
    TransformedPoint n1, n2, e1, e2;
    TransformPoint(f, Y + h, X, n1);
    TransformPoint(f, Y - h, X, n2);
    TransformPoint(f, Y, X + h, e1);
    TransformPoint(f, Y, X - h, e2);
    // The image of the easting's direction, in (E, N).
    const long double eE = (e1.Yk - e2.Yk) / (2 * h), eN = (e1.Xk - e2.Xk) / (2 * h);
    const long double nE = (n1.Yk - n2.Yk) / (2 * h), nN = (n1.Xk - n2.Xk) / (2 * h);
    const long double angle = std::atan2(eN - nE, eE + nN);
    return {angle, std::hypot(eE + nN, eN - nE) / 2};
  }

  // Everything ezdxf reads in the output is the input's, carried through the fit in the
  // model space and as it was elsewhere.
  void ExpectCarried(const std::string& in, const std::string& out) {
    const Drawing a = Read(in), b = Read(out);
    ASSERT_FALSE(a.entities.empty());
    EXPECT_EQ(a.entities, b.entities);
    EXPECT_LE(b.audit, a.audit);
    ASSERT_GE(b.audit, 0);
    ASSERT_EQ(a.values.size(), b.values.size());
    for (const auto& [key, from] : a.values) {
      const std::vector<std::string>& to = b.values.at(key);
      const std::string handle = key.substr(2, key.find(' ', 2) - 2);
      if (a.space.at(handle) != "model") {
        EXPECT_EQ(from, to) << key;
        continue;
      }
      const std::vector<std::string>& start = a.values.at(a.first.at(handle));
      const auto [angle, scale] = Turn(Value(start[0]), Value(start[1]));
      ExpectThrough(key, from, to, angle, scale);
    }
  }

  void ExpectThrough(const std::string& key, const std::vector<std::string>& from,
                     const std::vector<std::string>& to, long double angle, long double scale) {
    const auto near = [&](long double got, long double want, long double tolerance) {
      EXPECT_NEAR(static_cast<double>(got), static_cast<double>(want),
                  static_cast<double>(tolerance))
          << key;
    };
    if (key[0] == 'P') {
      TransformedPoint t;
      TransformPoint(fit_->FittedTransformation, Value(from[1]), Value(from[0]), t);
      near(Value(to[0]), t.Yk, 1e-8L);
      near(Value(to[1]), t.Xk, 1e-8L);
    } else if (key[0] == 'R') {
      near(Value(to[0]), Value(from[0]) * scale, 1e-9L);
    } else if (key[0] == 'A') {
      long double turned = Value(from[0]) + angle * 180 / std::numbers::pi_v<long double>;
      turned += turned < 0 ? 360 : turned >= 360 ? -360 : 0;
      near(Value(to[0]), turned, 1e-7L);
    } else if (key[0] == 'V') {
      const long double s = from[2] == "scaled" ? scale : 1;
      const long double x = Value(from[0]), y = Value(from[1]);
      near(Value(to[0]), s * (std::cos(angle) * x - std::sin(angle) * y), 1e-9L);
      near(Value(to[1]), s * (std::sin(angle) * x + std::cos(angle) * y), 1e-9L);
    }
  }

  // The same codes in the same order, the code lines byte for byte, and a value changed only
  // where a position, an angle, a radius or a vector is written.
  void ExpectSamePairs(const std::string& in, const std::string& out) {
    const auto a = Pairs(ReadFile(in)), b = Pairs(ReadFile(out));
    ASSERT_EQ(a.size(), b.size());
    int changed = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
      ASSERT_EQ(a[k].first, b[k].first) << "pair " << k;
      if (a[k].second == b[k].second) continue;
      ++changed;
      const int code = std::stoi(a[k].first);
      EXPECT_TRUE((code >= 10 && code <= 28) || code == 40 || code == 50 || code == 51)
          << "pair " << k << " code " << code << ": " << a[k].second << " -> " << b[k].second;
      const std::string& end = a[k].second;
      EXPECT_EQ(end.substr(end.find_last_not_of("\r\n") + 1),
                b[k].second.substr(b[k].second.find_last_not_of("\r\n") + 1));
    }
    EXPECT_GT(changed, 0);
  }

  TestFolder folder_;
  std::shared_ptr<const TransformationResult> fit_;
};

// Every flavour of the generator: R12 (ANSI_1250, CR LF), R2000 (ANSI_1250), R2018 (UTF-8,
// LF); each comes back as the drawing it was, only its map's positions, angles, radii and
// vectors carried through the fit, exit 0.
TEST_F(DxfInPlace, EveryFlavourComesBackAsTheDrawingItWas) {
  for (const char* options :
       {"--version R12 --cp1250 --crlf", "--version R2000 --cp1250 --dimension",
        "--version R2018 --dimension"}) {
    const std::string in = Make("rysunek.dxf", options);
    JsonValue json;
    ASSERT_EQ(Run({"--gis", in}, &json), 0) << options;
    const JsonValue& g = json["gis"].items.at(0);
    EXPECT_EQ(g["route"].text, "in_place");
    EXPECT_GT(g["positions"].number, 20);
    const std::string out = folder_.File("rysunek_2000.dxf");
    ExpectSamePairs(in, out);
    ExpectCarried(in, out);
  }
}

// LibreCAD's dxf2pdf (Debian's librecad) draws the output as it draws the input: a page each,
// of about the same size.
TEST_F(DxfInPlace, LibreCadDrawsTheOutputAsItDrawsTheInput) {
  if (CommandOutput("command -v librecad").empty()) GTEST_SKIP() << "no librecad";
  const std::string in = Make("rysunek.dxf", "--version R2000 --cp1250");
  ASSERT_EQ(Run({"--gis", in}), 0);
  const std::string pdfs = folder_.File("pdf");
  const std::string said =
      CommandOutput("mkdir -p '" + pdfs + "' && cd '" + folder_.Path() +
                    "' && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a -t '" + pdfs +
                    "' rysunek.dxf rysunek_2000.dxf 2>&1");
  std::vector<std::size_t> sizes;
  for (const char* name : {"rysunek.pdf", "rysunek_2000.pdf"}) {
    const std::string pdf = pdfs + "/" + name;
    const std::string info = CommandOutput("pdfinfo '" + pdf + "' 2>&1");
    const std::size_t pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << name << "\n" << said << info;
    EXPECT_EQ(std::atoi(info.c_str() + pages + 6), 1) << name;
    sizes.push_back(ReadFile(pdf).size());
  }
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_GT(sizes[0], 1000u);
  EXPECT_NEAR(static_cast<double>(sizes[1]), static_cast<double>(sizes[0]), 0.2 * sizes[0]);
}

// Lines of a drawing of only an ENTITIES section, as small programs write one.
std::string Entities(const std::string& entities) {
  return "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}

const std::string kPolyline =
    "  0\nLWPOLYLINE\n  5\n2F\n  8\nDZIALKI\n 90\n4\n 70\n1\n"
    " 10\n7456700.0\n 20\n5567400.0\n 10\n7456720.0\n 20\n5567400.0\n"
    " 10\n7456720.0\n 20\n5567415.0\n 10\n7456700.0\n 20\n5567415.0\n";
const std::string kText =
    "  0\nTEXT\n  5\n30\n  8\nOPISY\n 10\n7456705.0\n 20\n5567405.0\n 30\n0.0\n"
    " 40\n2.5\n  1\n12/3\n 50\n30.0\n";
const std::string kCircle =
    "  0\nCIRCLE\n  5\n31\n  8\nPUNKTY\n 10\n7456710.0\n 20\n5567407.0\n 30\n0.0\n"
    " 40\n1.5\n";

std::string Shortest(long double value) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, static_cast<double>(value));
  return std::string(text, r.ptr);
}

// The three entities: a closed polyline stays a closed polyline of 4 vertices, a
// TEXT a TEXT, a CIRCLE a CIRCLE; only the positions, the angle and the radius change.
TEST_F(DxfInPlace, ThePolylineTheTextAndTheCircleComeBackAsThemselves) {
  const std::string in = Entities(kPolyline + kText + kCircle);
  folder_.Write("trzy.dxf", in);
  ASSERT_EQ(Run({"--gis", folder_.File("trzy.dxf")}), 0);
  std::string expected = in;
  const auto replace = [&](const std::string& from, const std::string& to) {
    const std::size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  };
  for (const auto& [E, N] : {std::pair{"7456700.0", "5567400.0"},
                             {"7456720.0", "5567400.0"},
                             {"7456720.0", "5567415.0"},
                             {"7456700.0", "5567415.0"},
                             {"7456705.0", "5567405.0"},
                             {"7456710.0", "5567407.0"}}) {
    TransformedPoint t;
    TransformPoint(fit_->FittedTransformation, Value(N), Value(E), t);
    replace(std::string(" 10\n") + E + "\n 20\n" + N + "\n",
            " 10\n" + Shortest(t.Yk) + "\n 20\n" + Shortest(t.Xk) + "\n");
  }
  const std::string out = folder_.Read("trzy_2000.dxf");
  // The angle and the radius against a finite difference of the fit, then as written.
  const auto valueAfter = [&](const std::string& entity, const std::string& code) {
    const std::size_t at = out.find(code, out.find(entity)) + code.size();
    return out.substr(at, out.find('\n', at) - at);
  };
  const std::string angle = valueAfter("TEXT", " 50\n"), radius = valueAfter("CIRCLE", " 40\n");
  const long double turn = Turn(7456705.0L, 5567405.0L).first;
  EXPECT_NEAR(static_cast<double>(Value(angle)),
              static_cast<double>(30 + turn * 180 / std::numbers::pi_v<long double>), 1e-7);
  EXPECT_NEAR(static_cast<double>(Value(radius)),
              static_cast<double>(1.5L * Turn(7456710.0L, 5567407.0L).second), 1e-9);
  replace(" 50\n30.0\n", " 50\n" + angle + "\n");
  replace(" 40\n1.5\n", " 40\n" + radius + "\n");
  EXPECT_EQ(out, expected);
}

// A binary DXF's opening: its sentinel, CR LF, SUB, NUL, then binary data.
constexpr char kBinaryStart[] = "AutoCAD Binary DXF\r\n\x1a\0\0\0\0\0";

// Each bad input is named (an entity with its handle, type and layer; a broken file with
// its line), writes nothing, leaves an earlier output alone and is exit 3.
TEST_F(DxfInPlace, EachBadInputIsNamedWritesNothingAndIsExit3) {
  struct Case {
    const char* what;
    std::string file, message;
  };
  const Case cases[] = {
      {"binary", std::string(kBinaryStart, sizeof kBinaryStart - 1), "binarny plik DXF"},
      {"a clockwise arc of a hatch", "",
       "HATCH (uchwyt 57, warstwa 0): łuk obwiedni kreskowania zgodny z ruchem wskazówek"},
      {"a proxy",
       Entities(kCircle + "  0\nACAD_PROXY_ENTITY\n  5\n44\n  8\nINNE\n 10\n7456700.0\n"
                          " 20\n5567400.0\n"),
       "ACAD_PROXY_ENTITY (uchwyt 44, warstwa INNE): tego obiektu nie można"},
      {"another extrusion",
       Entities("  0\nCIRCLE\n  5\n45\n  8\nPUNKTY\n 10\n7456710.0\n 20\n5567407.0\n"
                " 40\n1.5\n210\n0.0\n220\n1.0\n230\n0.0\n"),
       "CIRCLE (uchwyt 45, warstwa PUNKTY): kierunek wyciągnięcia inny niż +Z lub -Z"},
      {"broken off inside a pair",
       "  0\nSECTION\n  2\nENTITIES\n  0\nCIRCLE\n 10\n7456710.0\n 20\n",
       "wiersz 9: plik kończy się po kodzie, bez wartości"},
      {"broken off between pairs",
       Entities(kCircle).substr(0, Entities(kCircle).find("  0\nENDSEC")),
       "plik kończy się bez końca rysunku (0 EOF)"},
      {"no number", Entities("  0\nPOINT\n  8\n0\n 10\n7456a00.0\n 20\n5567400.0\n"),
       "wiersz 10: kod 10 wymaga liczby, a jest \"7456a00.0\""},
      {"no group code", Entities("  0\nPOINT\nx8\n0\n"), "wiersz 7: \"x8\" nie jest kodem grupy"},
  };
  for (const Case& c : cases) {
    std::string file = c.file;
    if (file.empty()) {
      Make("zly.dxf", "--clockwise-hatch");
    } else {
      folder_.Write("zly.dxf", file);
    }
    folder_.Write("zly_2000.dxf", "earlier");
    JsonValue json;
    EXPECT_EQ(Run({"--gis", folder_.File("zly.dxf")}, &json), 3) << c.what;
    EXPECT_TRUE(json["gis"].items.at(0)["output"].IsNull()) << c.what;
    EXPECT_EQ(folder_.Read("zly_2000.dxf"), "earlier") << c.what;
    std::string protocol;
    for (const std::string& line : Utf8Lines(folder_.Read("PROTOKOL_GIS_zly.dxf.txt")))
      protocol += line + "\n";
    EXPECT_NE(protocol.find(c.message), std::string::npos) << c.what << "\n" << protocol;
  }
}

}  // namespace
