// The command lines of the programs (zornak_batch, zornak_plot, zornak_transpkt) through one
// parser, CLI11: the options are declared once, and the Polish help is generated from that
// table. Help and the version go to standard output with status 0; a wrong command line
// gets one Polish line and a pointer to --help on standard error, with status 2.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

inline constexpr int kCommandLineError = 2;

// A parser with Polish labels, -h/--help and --version ("NAME VERSION").
std::unique_ptr<CLI::App> MakeCommandLine(const std::string& name, const std::string& description,
                                          const std::string& footer);

// A whole number from `lowest` to `highest`, refused in Polish otherwise.
CLI::Validator WholeNumberIn(int lowest, int highest);

// A length in metres above 0, read as the program reads numbers, whatever the locale (a
// comma may stand for the point); refused in Polish otherwise.
CLI::Validator MetresAboveZero();
// The value of a text MetresAboveZero accepted.
long double Metres(std::string text);

// --kind (1 conformal, 2 general) and --degree (1..9), the model of a run.
void AddModelOptions(CLI::App& app, int& kind, int& degree);

// Parses the arguments (the program name first, UTF-8). Nothing when the program is to go
// on; else the exit status after printing help, the version or what is wrong.
std::optional<int> ParseCommandLine(CLI::App& app, int argc, const char* const* argv,
                                    std::ostream& out, std::ostream& err);
