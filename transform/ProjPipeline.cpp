#include "transform/ProjPipeline.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <vector>

#include "core/Version.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "textio/TextFile.h"

namespace {

using Complex = std::complex<long double>;

// The shortest text that reads back as the same double.
std::string Number(long double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value));
  return std::string(text, end.ptr);
}

std::string List(const std::vector<long double>& values) {
  std::string list;
  for (long double v : values) {
    if (!list.empty()) list += ',';
    list += Number(v);
  }
  return list;
}

// The conformal model is X + iY = (Xo + iYo) + sum c_k s^k w^k with w = (x - xo) + i(y - yo).
// PROJ's complex horner evaluates P = sum C_k Z^k with Z = V + iU (U the first coordinate
// less its origin, V the second) and gives (Im P, Re P); that equals sum c'_k w^k when
// C_k = -(-i)^(k+1) conj(c'_k).
std::vector<long double> ComplexCoefficients(const trk::FittedModel& m) {
  std::vector<long double> c;
  Complex power = 1;
  const Complex minusI(0, -1);
  Complex turn = minusI;  // (-i)^(k+1)
  for (std::int32_t k = 0; k <= m.Degree(); ++k) {
    Complex scaled = Complex(m.Coefficient(2 * k + 1), m.Coefficient(2 * k + 2)) * power;
    if (k == 0) scaled += Complex(m.Xo(), m.Yo());
    const Complex proj = -turn * std::conj(scaled);
    c.push_back(proj.real());
    c.push_back(proj.imag());
    power *= m.skala();
    turn *= minusI;
  }
  return c;
}

// The general model's X = Xo + sum a[i,j] s^(i+j) U^i V^j (and Y with b) in PROJ's orders:
// fwd_u with the power of V outer, fwd_v with the power of U outer.
void RealCoefficients(const trk::FittedModel& m, std::vector<long double>& u,
                      std::vector<long double>& v) {
  const std::int32_t n = m.Degree(), half = (n + 1) * (n + 2) / 2;
  auto index = [n](std::int32_t i, std::int32_t j) {  // i outer 0..n, j inner 0..n-i, from 1
    std::int32_t k = 1;
    for (std::int32_t a = 0; a < i; ++a)
      k += n - a + 1;
    return k + j;
  };
  auto term = [&](bool second, std::int32_t i, std::int32_t j) {
    long double value = m.Coefficient(index(i, j) + (second ? half : 0)) *
                        std::pow(m.skala(), static_cast<long double>(i + j));
    if (i == 0 && j == 0) value += second ? m.Yo() : m.Xo();
    return value;
  };
  for (std::int32_t j = 0; j <= n; ++j)
    for (std::int32_t i = 0; i <= n - j; ++i)
      u.push_back(term(false, i, j));
  for (std::int32_t i = 0; i <= n; ++i)
    for (std::int32_t j = 0; j <= n - i; ++j)
      v.push_back(term(true, i, j));
}

}  // namespace

std::string ProjPipeline(const trk::FittedModel& m) {
  // The region of validity: ten times the reach of the adjustment points from their
  // centroid, at least 10 km; PROJ refuses points beyond it.
  const long double range = std::fmax(10 / m.skala(), 10000);
  std::string text =
      "+proj=pipeline +step +proj=horner +ellps=GRS80 +range=" + Number(std::ceil(range)) +
      " +fwd_origin=" + Number(m.xo()) + "," + Number(m.yo()) +
      " +deg=" + std::to_string(m.Degree());
  if (m.Kind() == 1) return text + " +fwd_c=" + List(ComplexCoefficients(m));
  std::vector<long double> u, v;
  RealCoefficients(m, u, v);
  return text + " +fwd_u=" + List(u) + " +fwd_v=" + List(v);
}

bool WritePipelineFile(const std::string& folder, const trk::FittedModel& m, std::string& failure) {
  textio::TextFileWriter out;
  out.Create(textio::PathInFolder(folder, kPipelineFileName));
  const auto comment = [&](const std::string& utf8) { out.WriteUtf8Line("# " + utf8); };
  comment(std::string("ZORNAK_edz ") + kZornakVersion +
          " - model transformacji jako potok PROJ (bez korekty Hausbrandta)");
  comment("Model: transformacja " + std::string(m.Kind() == 1 ? "konforemna" : "ogólna") +
          " stopnia " + std::to_string(m.Degree()) + ", punktów dostosowania: " +
          std::to_string(m.Points()) + ", m0 = " + textio::Fixed(m.M0(), 0, 4) + " m");
  comment("Kolejność osi: pierwsza współrzędna x (północna), druga y (wschodnia), w metrach,");
  comment("jak w plikach mapy (axis order: x northing first, y easting second).");
  comment("Korekta Hausbrandta NIE jest częścią potoku: zależy od punktów dostosowania,");
  comment("nie od wzoru znanego PROJ (the Hausbrandt correction is not part of the pipeline).");
  comment("Użycie: cct -d 4 -z 0 -t 0 $(grep -v '^#' Transformacja.proj | tr -d '\\r') PLIK");
  out.WriteLine(ProjPipeline(m));
  if (out.Close()) return true;
  failure = out.FailureText();
  return false;
}
