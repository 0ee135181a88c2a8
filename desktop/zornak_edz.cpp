// zornak_edz [FOLDER | FILE | --przyklad]: the desktop program, on FOLDER, or on the folder
// of FILE (a desktop's "open with"), or on a fresh copy of the installed example. Without an
// argument it works in its own folder when that holds working files, else in the last folder
// worked in, else it offers to choose a folder or to open the example.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <iostream>
#include <optional>
#include <string_view>

#include "cli/CommandLine.h"
#include "desktop/TForm2.h"
#include "textio/Platform.h"
#include "viewer/Look.h"

namespace {

// --help and --version answer on the terminal before anything needs a display; nothing
// else is read here, Qt's own options (-platform, ...) included.
std::optional<int> AnswerOnTheTerminal(int argc, char** argv) {
  const bool asked = std::any_of(argv + 1, argv + argc, [](const char* a) {
    const std::string_view arg(a);
    return arg == "--help" || arg == "-h" || arg == "--version";
  });
  if (!asked) return std::nullopt;
  textio::UseParentConsole();
  std::string folder;
  const auto app = MakeCommandLine(
      "zornak_edz",
      "Program okienkowy korekty lokalnej mapy EWMAPA metodą Hausbrandta w folderze roboczym\n"
      "FOLDER (albo w folderze pliku, gdy FOLDER nazywa plik). Bez argumentu: folder programu, gdy "
      "zawiera pliki\n"
      "robocze, inaczej ostatnio używany, inaczej pyta o folder.\n",
      "Przetwarzanie bez okna: zornak_batch; mapa odchyłek jako obraz: zornak_plot.\n");
  bool example = false;
  app->add_flag("--przyklad", example,
                "kopiuje przykład do folderu Dokumenty i otwiera kopię jako folder roboczy");
  app->add_option("FOLDER", folder, "folder roboczy albo plik w nim")->type_name("");
  const std::vector<std::string> args = textio::CommandLineArguments(argc, argv);
  std::vector<const char*> utf8;
  for (const std::string& a : args)
    utf8.push_back(a.c_str());
  const std::optional<int> done =
      ParseCommandLine(*app, static_cast<int>(utf8.size()), utf8.data(), std::cout, std::cerr);
  std::cout.flush();
  return done.value_or(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> answered = AnswerOnTheTerminal(argc, argv)) return *answered;
  QApplication app(argc, argv);
  SetUpApplication(app);
  std::string folder;
  // Qt reads the command line in wide characters on Windows; paths go on as UTF-8.
  const QStringList arguments = QCoreApplication::arguments();
  // "--przyklad" (the menu's "Otwórz przykład"): a fresh copy of the installed example.
  const bool example = arguments.size() > 1 && arguments[1] == "--przyklad";
  if (arguments.size() > 1 && !example) {
    folder = FolderOfArgument(arguments[1]);
    if (folder.empty()) {
      QMessageBox::critical(
          nullptr, "ZORNAK_edz",
          "Folder roboczy " + arguments[1] + " nie istnieje lub nie jest folderem");
      return 1;
    }
  }
  TForm2 window(folder);
  window.show();
  if (example) {
    QTimer::singleShot(0, &window, &TForm2::OpenExample);
  } else if (!window.HasFolder()) {
    QTimer::singleShot(0, &window, &TForm2::OfferStart);
  }
  return app.exec();
}
