#include "inplace/InPlaceProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "textio/Platform.h"
#include "textio/SystemReason.h"
#include "transform/ControlReport.h"
#include "transform/FitStamp.h"

namespace {

std::string Absolute(const std::string& path) {
  std::error_code ec;
  return textio::Utf8FromPath(std::filesystem::absolute(textio::PathFromUtf8(path), ec));
}

std::string Metres(long double value, int decimals = 4) {
  std::string text;
  textio::AppendFixed(text, value, 0, decimals);
  return text + " m";
}

void KindTable(const GisFileResult& r, const ProtocolLine& line) {
  std::vector<CountRow> rows;
  for (const GisObjectKind& k : r.kinds)
    rows.push_back({k.name, k.objects, k.positions});
  CountTable(r.drawing ? " Rodzaj obiektu rysunku                         obiektów    pozycji"
                       : " Rodzaj obiektu                                 obiektów    pozycji",
             rows, 46, 10, line);
}

void Figures(const GisFileResult& r, const ProtocolLine& line) {
  const GisPositionFigures& f = r.figures;
  line(" Pozycji przeliczonych: " + std::to_string(f.positions));
  line(" Przesunięcie pozycji: największe " + Metres(f.largestShift) + ", średnie " +
       Metres(f.meanShift));
  std::string outside = " Poza otoczką punktów dostosowania (korekta ekstrapolowana): " +
                        std::to_string(f.outsideHull);
  if (f.outsideHull > 0) {
    outside += ", najdalej " + Metres(f.farthestDistance, 1) + " od otoczki";
    if (!f.farthestOutside.empty())
      outside += (r.drawing ? " (uchwyt " : " (gml:id ") + f.farthestOutside + ")";
  }
  line(outside);
  std::string rotation = " Największy lokalny obrót transformacji: ";
  textio::AppendFixed(rotation, f.largestRotation, 0, 9);
  line(rotation + " rad");
  if (r.drawing) {
    std::string turned = " Kąty obrócone o najwyżej ";
    textio::AppendFixed(turned, f.largestTurn, 0, 9);
    turned += " rad, promienie zmienione o najwyżej ";
    line(turned + Metres(f.largestRadiusChange, 6));
    return;
  }
  line(" Kąty obrotu opisów (katObrotu): " + std::to_string(f.angles) +
       ", pozostawione bez zmian (schemat nie określa kierunku obrotu)");
  if (f.angles > 0 && f.largestRotation > kRotationWarning) {
    line(
        " UWAGA: obrót ponad 0.0001 rad - koniec opisu długości 10 m przesuwa się o ponad "
        "1 mm; kąty opisów warto sprawdzić");
  }
}

}  // namespace

GisFileResult StartInPlace(const GisJob& job, const TransformationResult& transformation) {
  GisFileResult r;
  r.route = kInPlaceRoute;
  r.input = Absolute(job.input);
  r.output = Absolute(job.output.empty() ? DefaultGisOutput(job.input) : job.output);
  r.protocol = textio::PathInFolder(job.protocolFolder, GisProtocolName(job.input));
  std::error_code ec;
  if (!transformation.FittedTransformation.Usable()) {
    r.error = "brak transformacji w tym przebiegu";
  } else if (std::filesystem::equivalent(textio::PathFromUtf8(r.input),
                                         textio::PathFromUtf8(r.output), ec)) {
    r.error = "plik wynikowy jest plikiem wejściowym";
    r.writeFailure = true;
  }
  return r;
}

void FinishInPlace(textio::TextFileWriter& out, GisFileResult& r) {
  if (!r.problems.empty()) {
    r.inputProblem = true;
    r.error = "plik nie został przeliczony w całości: nie zapisano go wcale";
    return;  // the writer, dropped, removes its temporary file
  }
  if (out.Close()) {
    r.written = true;
  } else {
    r.error = "błąd zapisu " + out.FailureText();
    r.writeFailure = true;
  }
}

GisFileResult RewriteFileInPlace(const GisJob& job, const TransformationResult& transformation,
                                 bool drawing, const MakeFeed& make) {
  GisFileResult r = StartInPlace(job, transformation);
  r.drawing = drawing;
  if (!r.error.empty()) {
    WriteInPlaceProtocol(transformation, r);
    return r;
  }
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(textio::OpenStream(r.input, "rb"),
                                                           &std::fclose);
  textio::TextFileWriter out;
  if (!in) {
    r.error = "nie można otworzyć pliku: " + textio::SystemReason(errno);
    r.inputProblem = true;
  } else if (!out.Create(r.output)) {
    r.error = "nie można zapisać pliku " + out.FailureText();
    r.writeFailure = true;
  } else {
    {
      const ByteFeed feed = make([&](std::string_view bytes) { out.WriteBytes(bytes); }, r);
      std::string chunk(std::size_t{1} << 20, '\0');
      for (bool last = false; !last;) {
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get());
        last = n < chunk.size();
        if (last && std::ferror(in.get())) {
          r.problems.push_back("błąd odczytu pliku: " + textio::SystemReason(errno));
          break;
        }
        feed(std::string_view(chunk).substr(0, n), last);
      }
    }
    FinishInPlace(out, r);
  }
  WriteInPlaceProtocol(transformation, r);
  return r;
}

std::string RewriteBytesInPlace(std::string_view input, std::size_t chunk, GisFileResult& result,
                                const MakeFeed& make) {
  std::string output;
  {
    const ByteFeed feed = make([&](std::string_view bytes) { output.append(bytes); }, result);
    chunk = std::max<std::size_t>(chunk, 1);
    for (std::size_t k = 0;; k += chunk) {
      const bool last = k + chunk >= input.size();
      feed(input.substr(std::min(k, input.size()), chunk), last);
      if (last) break;
    }
  }
  if (!result.problems.empty()) output.clear();
  return output;
}

void CountTable(const std::string& heading, const std::vector<CountRow>& rows,
                std::size_t nameWidth, int firstWidth, const ProtocolLine& line) {
  line(heading);
  long long first = 0, second = 0;
  const auto row = [&](std::string text, long long a, long long b) {
    text.resize(std::max(text.size(), nameWidth), ' ');
    textio::AppendInteger(text, a, firstWidth);
    textio::AppendInteger(text, b, 11);
    line(text);
  };
  for (const CountRow& r : rows) {
    row(" " + r.name, r.first, r.second);
    first += r.first;
    second += r.second;
  }
  row(" Razem", first, second);
}

void GisProtocolOpening(const GisFileResult& r, const ProtocolLine& line) {
  line(" PROTOKÓŁ PRZELICZENIA PLIKU GIS - ZORNAK_edz");
  line(r.route == kInPlaceRoute
           ? std::string(" Droga: przepisanie w miejscu (zmienione tylko współrzędne pozycji)")
           : std::string(" Droga: GDAL (obiekty proste)"));
  line(" Plik wejściowy: " + r.input);
  line(" Plik wynikowy: " + r.output + (r.driver.empty() ? "" : " (" + r.driver + ")"));
}

void GisProtocolFit(const TransformationResult& t, const ProtocolLine& line) {
  std::string model =
      " Transformacja: " + ModelName(t.choice.TransformKind, t.choice.TransformDegree);
  model += " z korektą Hausbrandta, m0 = ";
  textio::AppendFixed(model, t.FittedTransformation.figures.m0, 0, 4);
  line(model + " m");
  line(std::string(kFitStampLabel) + FitStamp(t));
}

void WriteInPlaceProtocol(const TransformationResult& t, GisFileResult& r) {
  textio::TextFileWriter out;
  out.Create(r.protocol);
  const ProtocolLine line = [&](const std::string& text) { out.WriteUtf8Line(text); };
  GisProtocolOpening(r, line);
  if (t.FittedTransformation.Usable()) GisProtocolFit(t, line);
  for (const std::string& note : r.notes)
    line(" Uwaga: " + note);
  line(" ");
  KindTable(r, line);
  line(" ");
  Figures(r, line);
  line(" ");
  line(r.problems.empty() && r.error.empty() ? " Błędów nie stwierdzono" : " BŁĘDY");
  for (const std::string& p : r.problems)
    line("  *** " + p);
  if (!r.error.empty()) line("  *** pliku wynikowego nie zapisano: " + r.error);
  r.protocolWritten = out.Close();
  if (!r.protocolWritten) r.writeFailure = true;
}
