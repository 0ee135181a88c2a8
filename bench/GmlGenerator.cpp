#include "bench/GmlGenerator.h"

#include <cmath>
#include <vector>

#include "textio/Cp1250.h"
#include "textio/NumberForms.h"

namespace {

constexpr const char* kSrs = "urn:ogc:def:crs:EPSG::2178";

struct Position {
  long double x, y;  // northing, easting
};

class GmlWriter {
 public:
  GmlWriter(std::ostream& out, const GmlFlavour& f) : out_(out), f_(f) {}

  // A line of the file's own text (UTF-8 here), in the file's encoding and line end.
  void Line(const std::string& utf8) {
    out_ << (f_.cp1250 ? textio::Utf8ToCp1250(utf8) : utf8) << (f_.crlf ? "\r\n" : "\n");
  }
  // Positions as the register writes them: two decimals, northing first; in a posList
  // three positions a line, wrapped with the element's indentation.
  std::string List(const std::vector<Position>& positions, const std::string& indent,
                   int dimension = 2) {
    std::string text;
    for (std::size_t k = 0; k < positions.size(); ++k) {
      if (k > 0) text += k % 3 == 0 ? std::string(f_.crlf ? "\r\n" : "\n") + indent : " ";
      if (f_.gml2) {
        textio::AppendFixed(text, positions[k].x, 0, 2);
        text += ',';
        textio::AppendFixed(text, positions[k].y, 0, 2);
      } else {
        textio::AppendFixed(text, positions[k].x, 0, 2);
        text += ' ';
        textio::AppendFixed(text, positions[k].y, 0, 2);
      }
      if (dimension == 3) {
        text += f_.gml2 ? "," : " ";
        textio::AppendFixed(text, 101.25L + 0.5L * static_cast<long double>(k), 0, 2);
      }
    }
    return text;
  }
  std::string PositionElement(const std::vector<Position>& positions, const std::string& indent,
                              int dimension = 2) {
    const std::string dim = dimension == 3 ? std::string(" srsDimension=\"3\"") : std::string();
    if (f_.gml2) {
      return "<gml:coordinates cs=\",\" ts=\" \">" + List(positions, indent, dimension) +
             "</gml:coordinates>";
    }
    if (positions.size() == 1)
      return "<gml:pos" + dim + ">" + List(positions, indent, dimension) + "</gml:pos>";
    return "<gml:posList" + dim + ">" + List(positions, indent, dimension) + "</gml:posList>";
  }

  void Collection();

 private:
  void Parcel(int n);
  void BoundaryPoint(int n, int k, const Position& p);
  void Label(int n, const Position& p);
  void Fence(int n);
  void Pipe(int n);
  void Ring(const std::string& role, const std::vector<Position>& ring, const std::string& indent);
  Position Corner(int n) const {
    return {f_.north + f_.side * static_cast<long double>(n / f_.perRow),
            f_.east + f_.side * static_cast<long double>(n % f_.perRow)};
  }

  std::ostream& out_;
  const GmlFlavour& f_;
};

void GmlWriter::Ring(const std::string& role, const std::vector<Position>& ring,
                     const std::string& indent) {
  Line(indent + "<gml:" + role + ">");
  Line(indent + "  <gml:LinearRing>");
  Line(indent + "    " + PositionElement(ring, indent + "      "));
  Line(indent + "  </gml:LinearRing>");
  Line(indent + "</gml:" + role + ">");
}

void GmlWriter::Parcel(int n) {
  const Position c = Corner(n);
  const long double s = f_.side;
  const std::vector<Position> outer = {{c.x + 0.13L, c.y + 0.27L},
                                       {c.x + 0.11L, c.y + s - 0.21L},
                                       {c.x + s - 0.17L, c.y + s - 0.33L},
                                       {c.x + s - 0.09L, c.y + 0.41L},
                                       {c.x + 0.13L, c.y + 0.27L}};
  const long double h = s / 3;
  const std::vector<Position> hole = {{c.x + h, c.y + h},
                                      {c.x + 1.5L * h, c.y + h},
                                      {c.x + 1.5L * h, c.y + 1.4L * h},
                                      {c.x + h, c.y + h}};
  const std::string id = "PL.PZGiK.1465.EGiB.DZ" + std::to_string(n);
  Line("  <gml:featureMember>");
  Line("    <egb:EGB_DzialkaEwidencyjna gml:id=\"" + id + "\">");
  Line("      <egb:idIIP><egb:EGB_IdentyfikatorIIP><egb:lokalnyId>DZ" + std::to_string(n) +
       "</egb:lokalnyId><egb:wersjaId>2024-01-15T10:00:00</egb:wersjaId>"
       "</egb:EGB_IdentyfikatorIIP></egb:idIIP>");
  Line("      <egb:startObiekt>2021-03-01T08:00:00</egb:startObiekt>");
  Line("      <egb:startWersjaObiekt>2024-01-15T10:00:00</egb:startWersjaObiekt>");
  Line("      <egb:idDzialki>146501_1.0003." + std::to_string(100 + n) + "/2</egb:idDzialki>");
  Line("      <egb:opis><![CDATA[działka <narożna> & \"Łąka\" 5567400.12]]></egb:opis>");
  Line("      <egb:uwagi>przy drodze &amp; rowie</egb:uwagi>");
  Line("      <egb:geometria>");
  const std::string multi = f_.gml2 ? "MultiPolygon" : "MultiSurface";
  const std::string member = f_.gml2 ? "polygonMember" : "surfaceMember";
  Line("        <gml:" + multi + " gml:id=\"" + id + ".G\" srsName=\"" + kSrs + "\">");
  Line("          <gml:" + member + ">");
  Line("            <gml:Polygon gml:id=\"" + id + ".P\">");
  Ring(f_.gml2 ? "outerBoundaryIs" : "exterior", outer, "              ");
  Ring(f_.gml2 ? "innerBoundaryIs" : "interior", hole, "              ");
  Line("            </gml:Polygon>");
  Line("          </gml:" + member + ">");
  Line("        </gml:" + multi + ">");
  Line("      </egb:geometria>");
  for (int k = 0; k < 4; ++k) {
    Line("      <egb:punktGranicyDzialki xlink:href=\"#PL.PZGiK.1465.EGiB.PG" + std::to_string(n) +
         "_" + std::to_string(k) + "\"/>");
  }
  Line("    </egb:EGB_DzialkaEwidencyjna>");
  Line("  </gml:featureMember>");
  for (int k = 0; k < 4; ++k)
    BoundaryPoint(n, k, outer[k]);
  Label(n, {c.x + s / 2 + 0.05L, c.y + s / 2 - 0.15L});
}

void GmlWriter::BoundaryPoint(int n, int k, const Position& p) {
  const std::string id = "PL.PZGiK.1465.EGiB.PG" + std::to_string(n) + "_" + std::to_string(k);
  Line("  <gml:featureMember>");
  Line("    <egb:EGB_PunktGraniczny gml:id=\"" + id + "\">");
  Line("      <egb:geometria><gml:Point gml:id=\"" + id + ".G\" srsName=\"" + kSrs + "\">" +
       PositionElement({p}, "") + "</gml:Point></egb:geometria>");
  Line("      <egb:idPunktu>1465.0003." + std::to_string(4 * n + k) + "</egb:idPunktu>");
  Line("    </egb:EGB_PunktGraniczny>");
  Line("  </gml:featureMember>");
}

void GmlWriter::Label(int n, const Position& p) {
  const std::string id = "PL.PZGiK.1465.EGiB.ET" + std::to_string(n);
  Line("  <gml:featureMember>");
  Line("    <egb:PrezentacjaGraficzna gml:id=\"" + id + "\">");
  Line("      <egb:obiektPrzedstawiany xlink:href=\"#PL.PZGiK.1465.EGiB.DZ" + std::to_string(n) +
       "\"/>");
  Line("      <egb:etykieta><egb:Etykieta>");
  Line("        <egb:tekst>" + std::to_string(100 + n) + "/2</egb:tekst>");
  Line("        <egb:geometria><gml:Point gml:id=\"" + id + ".G\" srsName=\"" + kSrs + "\">" +
       PositionElement({p}, "") + "</gml:Point></egb:geometria>");
  Line("        <egb:odnosnik><gml:Point gml:id=\"" + id + ".O\" srsName=\"" + kSrs + "\">" +
       PositionElement({{p.x - 3.5L, p.y + 2.25L}}, "") + "</gml:Point></egb:odnosnik>");
  std::string angle = "        <egb:katObrotu>";
  textio::AppendFixed(angle, 0.1L * static_cast<long double>(n % 31), 0, 15);
  Line(angle + "</egb:katObrotu>");
  Line("      </egb:Etykieta></egb:etykieta>");
  Line("    </egb:PrezentacjaGraficzna>");
  Line("  </gml:featureMember>");
}

// A fence along the parcel's north side: a line segment, then an arc through three points.
void GmlWriter::Fence(int n) {
  const Position c = Corner(n);
  const long double s = f_.side, north = c.x + s - 0.5L;
  const std::string id = "PL.PZGiK.1465.BDOT500.OG" + std::to_string(n);
  Line("  <gml:featureMember>");
  Line("    <ot:OT_Ogrodzenia gml:id=\"" + id + "\">");
  Line("      <!-- ogrodzenie z łukiem -->");
  Line("      <ot:geometria>");
  if (f_.gml2) {
    Line("        <gml:LineString srsName=\"" + std::string(kSrs) + "\">" +
         PositionElement({{north, c.y + 1}, {north, c.y + s / 2}, {north + 1.5L, c.y + s - 1}},
                         "          ") +
         "</gml:LineString>");
  } else {
    Line("        <gml:Curve gml:id=\"" + id + ".G\" srsName=\"" + kSrs + "\"><gml:segments>");
    Line("          <gml:LineStringSegment>" +
         PositionElement({{north, c.y + 1}, {north, c.y + s / 2}}, "            ") +
         "</gml:LineStringSegment>");
    Line("          <gml:ArcString>" +
         PositionElement(
             {{north, c.y + s / 2}, {north + 1.5L, c.y + s * 0.75L}, {north, c.y + s - 1}},
             "            ") +
         "</gml:ArcString>");
    Line("        </gml:segments></gml:Curve>");
  }
  Line("      </ot:geometria>");
  Line("    </ot:OT_Ogrodzenia>");
  Line("  </gml:featureMember>");
}

// A water pipe along the parcel's west side, with its depth as a third coordinate.
void GmlWriter::Pipe(int n) {
  const Position c = Corner(n);
  const std::string id = "PL.PZGiK.1465.GESUT.PW" + std::to_string(n);
  Line("  <gml:featureMember>");
  Line("    <ges:GES_PrzewodWodociagowy gml:id=\"" + id + "\">");
  Line("      <ges:geometria><gml:LineString gml:id=\"" + id + ".G\" srsName=\"" + kSrs +
       "\" srsDimension=\"3\">" +
       PositionElement({{c.x + 1, c.y + 1.5L},
                        {c.x + f_.side / 2, c.y + 1.45L},
                        {c.x + f_.side - 1, c.y + 1.55L}},
                       "        ", 3) +
       "</gml:LineString></ges:geometria>");
  Line("      <ges:materialPrzewodu>PE</ges:materialPrzewodu>");
  Line("    </ges:GES_PrzewodWodociagowy>");
  Line("  </gml:featureMember>");
}

void GmlWriter::Collection() {
  Line(std::string("<?xml version=\"1.0\" encoding=\"") + (f_.cp1250 ? "windows-1250" : "UTF-8") +
       "\"?>");
  Line("<!-- wymiana danych EGiB, BDOT500 i GESUT: powiat próbny -->");
  const std::string gml = f_.gml2 ? "http://www.opengis.net/gml" : "http://www.opengis.net/gml/3.2";
  Line("<gml:FeatureCollection xmlns:gml=\"" + gml +
       "\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"");
  Line(
      "    xmlns:egb=\"ewidencjaGruntowIBudynkow:1.0\" "
      "xmlns:ot=\"bazaDanychObiektowTopograficznych500:1.0\"");
  Line("    xmlns:ges=\"geodezyjnaEwidencjaSieciUzbrojeniaTerenu:1.0\" gml:id=\"FC.1465\">");
  const int rows = (f_.parcels + f_.perRow - 1) / f_.perRow;
  const long double xTo = f_.north + f_.side * rows;
  const long double yTo = f_.east + f_.side * std::min(f_.parcels, f_.perRow);
  Line("  <gml:boundedBy>");
  if (f_.gml2) {
    Line("    <gml:Box srsName=\"" + std::string(kSrs) + "\">" +
         PositionElement({{f_.north, f_.east}, {xTo, yTo}}, "") + "</gml:Box>");
  } else {
    std::string lower = "      <gml:lowerCorner>", upper = "      <gml:upperCorner>";
    lower += List({{f_.north, f_.east}}, "");
    upper += List({{xTo, yTo}}, "");
    Line("    <gml:Envelope srsName=\"" + std::string(kSrs) + "\">");
    Line(lower + "</gml:lowerCorner>");
    Line(upper + "</gml:upperCorner>");
    Line("    </gml:Envelope>");
  }
  Line("  </gml:boundedBy>");
  for (int n = 0; n < f_.parcels; ++n) {
    Parcel(n);
    Fence(n);
    Pipe(n);
  }
  Line("</gml:FeatureCollection>");
}

}  // namespace

void WriteGml(std::ostream& out, const GmlFlavour& flavour) {
  GmlWriter(out, flavour).Collection();
}

long long GmlPositions(const GmlFlavour& flavour) {
  // A parcel's two rings (5 + 4), its 4 boundary points, a label's two points, a fence of
  // 3 (GML 2) or 5 positions (a segment of 2, an arc of 3), a pipe of 3.
  return static_cast<long long>(flavour.parcels) * (9 + 4 + 2 + (flavour.gml2 ? 3 : 5) + 3);
}
