#include "convert/ParcelIndex.h"

#include "textio/Cp1250.h"
#include "textio/NumberForms.h"

void WriteParcelIndex(const std::vector<ParcelEntry>& table, int n, std::string_view unitText,
                      textio::TextFileWriter& index) {
  index.WriteUtf8Line(" SKOROWIDZ DZIAŁEK/KONTURÓW");
  index.WriteLine(" Jednostka ewidencyjna " + std::string(unitText));
  index.WriteLine("    LP(edz)      NR(edz)       P(edz)     [Xo,Yo] CENTROIDA");
  std::string row;
  for (int i = 1; i <= n; ++i) {
    const ParcelEntry& e = table[i];
    row.clear();
    textio::AppendInteger(row, i, 7);
    row += ' ';
    textio::AppendRight(row, e.identifier, 15);
    row += ' ';
    textio::AppendFixed(row, e.area, 13, 4);
    row += ' ';
    textio::AppendFixed(row, e.Xo, 11, 2);
    textio::AppendFixed(row, e.Yo, 11, 2);
    index.WriteLine(row);
  }
  index.WriteLine("----------------------------------------diagnostyk_edz---------");
}
