#include "cli/CommandLine.h"

#include "core/Version.h"
#include "textio/NumberReading.h"

#include <algorithm>
#include <charconv>

namespace {

// What went wrong, in Polish; CLI11's own words name the option where they help.
std::string Wording(const CLI::ParseError& e, const CLI::App& app) {
  if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
    std::string extras;
    for (const std::string& extra : app.remaining())
      extras += (extras.empty() ? "" : " ") + extra;
    return "nieznana opcja lub nadmiarowy argument: " + extras;
  }
  // CLI11 names the option or argument first: "--kind: ...", "XY2 is required".
  const std::string what = e.what();
  const std::string name = what.substr(0, what.find_first_of(": "));
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) return "opcja " + name + " wymaga wartości";
  if (dynamic_cast<const CLI::RequiredError*>(&e)) return "brak argumentu " + name;
  if (dynamic_cast<const CLI::ValidationError*>(&e) ||
      dynamic_cast<const CLI::ConversionError*>(&e)) {
    return what;  // the validators below word it in Polish
  }
  return "błędny wiersz poleceń (" + what + ")";
}

}  // namespace

std::unique_ptr<CLI::App> MakeCommandLine(const std::string& name, const std::string& description,
                                          const std::string& footer) {
  auto app = std::make_unique<CLI::App>(description, name);
  app->option_defaults()->group("Opcje");
  // A Windows path such as /mapy/obreb12 or C:/mapy is a folder, never an option.
  app->allow_windows_style_options(false);
  app->set_help_flag("-h,--help", "pokazuje ten opis i kończy");
  app->set_version_flag("--version", name + " " + kZornakVersion, "wypisuje wersję programu");
  app->footer(footer);
  app->get_formatter()->column_width(26);
  for (const auto& [key, label] : {std::pair{"Usage", "Użycie"},
                                   {"OPTIONS", "OPCJE"},
                                   {"Options", "Opcje"},
                                   {"Positionals", "Argumenty"},
                                   {"REQUIRED", "(wymagany)"},
                                   {"Excludes", "Wyklucza"},
                                   {"Needs", "Wymaga"},
                                   {"Env", "Zmienna"}}) {
    app->get_formatter()->label(key, label);
  }
  return app;
}

std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv,
                                    std::ostream& out, std::ostream& err) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return 0;
  } catch (const CLI::ParseError& e) {
    err << app.get_name() << ": " << Wording(e, app) << "\n"
        << "Opis wywołania: " << app.get_name() << " --help\n";
    return kCommandLineError;
  }
  return std::nullopt;
}

CLI::Validator WholeNumberIn(int lowest, int highest) {
  return CLI::Validator(
      [lowest, highest](std::string& text) -> std::string {
        int value = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (error == std::errc() && stop == end && value >= lowest && value <= highest) return {};
        return "wymaga liczby " + std::to_string(lowest) + ".." + std::to_string(highest) +
               " (podano " + text + ")";
      },
      "");
}

long double Metres(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  std::size_t pos = 0;
  long double value = 0;
  return textio::ReadNumber(text, pos, value) && !textio::SkipBlanks(text, pos) ? value : 0;
}

CLI::Validator MetresAboveZero() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return Metres(text) > 0 ? std::string()
                                : "wymaga liczby metrów większej od 0 (podano " + text + ")";
      },
      "", "MetresAboveZero");
}

void AddModelOptions(CLI::App& app, int& kind, int& degree) {
  app.add_option("--kind", kind, "1 transformacja konforemna (domyślnie), 2 ogólna")
      ->type_name("1|2")
      ->check(WholeNumberIn(1, 2));
  app.add_option("--degree", degree, "stopień wielomianu (domyślnie 1)")
      ->type_name("1..9")
      ->check(WholeNumberIn(1, 9));
}
