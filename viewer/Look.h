// The look of the program's windows: the system colours named as on the program's original
// platform, mapped to the Qt palette, and its fonts with Linux substitutes.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

enum class SystemColour { BtnFace, InfoBk, Window, WindowText, Navy, Black, Aqua };

QColor ColourOf(SystemColour colour);

// Registers Linux substitutes for "MS Sans Serif", "Arial" and "Courier New"; call once
// after the application object exists.
void InstallFontSubstitutes();

// Everything a window of the program needs from the application, whatever the user's
// language: the title "ZORNAK_edz", the font substitutes, Qt's own Polish texts (standard
// buttons, file, print and font dialogs), the Polish locale, and a desktop icon theme with
// the standard freedesktop icons (Adwaita when the desktop names none that has them).
// Returns false when Qt's Polish translation could not be loaded.
class QApplication;
bool SetUpApplication(QApplication& app);

QFont WindowsFont(const QString& family, int points, bool bold = false);

// Sets a widget's background (and optionally text) colour through its palette.
class QWidget;
void Paint(QWidget* widget, const QColor& background);
void PaintText(QWidget* widget, const QColor& text);
