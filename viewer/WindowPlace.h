// Where a new window of the program stands, and its size and place between sessions. A
// window is placed where it covers least of the main window, inside the screen's free
// area; one that was open before comes back where the user left it (QSettings, under
// "okna/<key>"), as long as that place is still on a screen.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// The frame of `size` (a window's frame size) inside `screen` that overlaps `main` least:
// beside it on the right, the left, below or above, else a corner of the screen. Among
// equal overlaps the one that overlaps `others` least, then the first, wins. A size larger
// than the screen is shrunk to it.
QRect PlaceBeside(const QRect& main, QSize size, const QRect& screen,
                  const QList<QRect>& others = {});

// `frame` brought wholly inside `screen`: shrunk to it where larger, then moved the least
// distance (a place remembered on a larger screen).
QRect FitOnScreen(QRect frame, const QRect& screen);

// Puts `window` where it was last left (key `key`), brought inside the screen of today,
// else beside `main` as PlaceBeside says, and remembers its size and place whenever it is hidden or
// closed. Call once, before the first show.
void PlaceWindow(QWidget* window, const QString& key, const QWidget* main);

// The smallest window worth working in, when one must shrink to stay off the main window.
inline constexpr QSize kWorkingSize(480, 360);
// The largest part of `screen` right of, left of, below or above `main` (with a gap).
QRect LargestBandBeside(const QRect& main, const QRect& screen);

// Saves the size and place of `window` under `key` now.
void RememberWindow(const QWidget* window, const QString& key);

// Moves a shown window whose frame stands out of `screen` back inside it (the frame the
// window manager adds is known only once the window is shown).
void KeepOnScreen(QWidget* window, const QRect& screen);
