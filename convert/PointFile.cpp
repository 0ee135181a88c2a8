#include "convert/PointFile.h"

#include <array>

#include "convert/MapFiles.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/TextScanner.h"
#include "transform/TransformPoint.h"

namespace {

constexpr std::size_t kNameLength = 20;

std::string ErrorText(int line) {
  return " *** Wykryto błąd liczbowy w wierszu " + std::to_string(line);
}

}  // namespace

int ConvertPointFile(int lastPassCount, WindowOperations& window) {
  window.ShowStatus(" Przekształcam punkty " + std::to_string(lastPassCount));
  textio::TextScanner in;
  in.Open(SlotPath(slot::kPoints));
  textio::TextFileWriter converted, protocol;
  converted.Create(SlotPath(slot::kPointsOut));
  protocol.Create(SlotPath(slot::kPointsProtocol));
  MarkPanel(window, slot::kPointsOut);
  MarkPanel(window, slot::kPointsProtocol);
  protocol.WriteLine(" DIAGNOSTYKA ZBIORU: PUNKTY.etp");

  int linesRead = 0, points = 0;
  std::string name, line;
  std::array<long double, 4> v;
  do {
    in.NextLine();
    ++linesRead;
    name.assign(in.Take(kNameLength));
    if (name.empty() || name == " ") continue;  // a blank line
    bool readable = true;
    for (long double& number : v) {
      readable = in.Number(number) == textio::TextScanner::Read::Ok && readable;
    }
    ++points;
    if (!readable) {
      window.ShowMessage(ErrorText(linesRead));
      protocol.WriteLine(textio::Utf8ToCp1250(ErrorText(linesRead)));
      continue;
    }
    line.clear();
    textio::AppendRight(line, name, kNameLength);
    for (int pair = 0; pair < 2; ++pair) {
      TransformedPoint t;
      TransformPoint(v[2 * pair], v[2 * pair + 1], t);
      textio::AppendFixed(line, t.Xk, 18, 2);
      textio::AppendFixed(line, t.Yk, 18, 2);
    }
    window.ShowStatus(" PUNKTY.etp: transformuję punkt " + std::to_string(points) + " " +
                      textio::Cp1250ToUtf8(name));
    line += in.Rest();
    converted.WriteLine(line);
  } while (!in.AtEnd());

  protocol.WriteLine(" Liczba przeczytanych linii: " + std::to_string(linesRead));
  protocol.WriteLine(textio::Utf8ToCp1250(" Liczba wszystkich punktów: ") + std::to_string(points));
  window.SetCounter(CounterField::Edit12, std::to_string(points));
  converted.Close();
  protocol.Close();
  return points;
}
