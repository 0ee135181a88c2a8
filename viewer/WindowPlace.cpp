#include "viewer/WindowPlace.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace {

long long Overlap(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

// Moves `r` the least distance that brings it inside `screen` (its size already fits).
QRect Inside(QRect r, const QRect& screen) {
  r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() - r.width() + 1));
  r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() - r.height() + 1));
  return r;
}

QString SettingsKey(const QString& key) {
  return "okna/" + key;
}

// Saves the window's geometry when it is hidden or closed.
class GeometryKeeper : public QObject {
 public:
  GeometryKeeper(QWidget* window, QString key) : QObject(window), key_(std::move(key)) {
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
      RememberWindow(static_cast<QWidget*>(watched), key_);
    return false;
  }

 private:
  QString key_;
};

QRect FreeArea(const QWidget* main) {
  const QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
}

}  // namespace

QRect PlaceBeside(const QRect& main, QSize size, const QRect& screen, const QList<QRect>& others) {
  size = size.boundedTo(screen.size());
  constexpr int kGap = 8;
  const QList<QPoint> corners = {
      {main.right() + 1 + kGap, main.top()},
      {main.left() - kGap - size.width(), main.top()},
      {main.left(), main.bottom() + 1 + kGap},
      {main.left(), main.top() - kGap - size.height()},
      screen.topRight() - QPoint(size.width() - 1, 0),
      screen.bottomRight() - QPoint(size.width() - 1, size.height() - 1),
      screen.bottomLeft() - QPoint(0, size.height() - 1),
      screen.topLeft(),
  };
  QRect best;
  long long bestMain = -1, bestOthers = -1;
  for (const QPoint& at : corners) {
    const QRect r = Inside(QRect(at, size), screen);
    const long long onMain = Overlap(r, main);
    long long onOthers = 0;
    for (const QRect& other : others)
      onOthers += Overlap(r, other);
    if (bestMain < 0 || onMain < bestMain || (onMain == bestMain && onOthers < bestOthers)) {
      best = r;
      bestMain = onMain;
      bestOthers = onOthers;
    }
  }
  return best;
}

QRect LargestBandBeside(const QRect& main, const QRect& screen) {
  constexpr int kGap = 8;
  const QRect bands[] = {
      QRect(QPoint(main.right() + 1 + kGap, screen.top()), screen.bottomRight()),
      QRect(screen.topLeft(), QPoint(main.left() - 1 - kGap, screen.bottom())),
      QRect(QPoint(screen.left(), main.bottom() + 1 + kGap), screen.bottomRight()),
      QRect(screen.topLeft(), QPoint(screen.right(), main.top() - 1 - kGap)),
  };
  QRect best;
  for (const QRect& band : bands) {
    const QRect free = band.intersected(screen);
    if (!free.isEmpty() && Overlap(free, free) > Overlap(best, best)) best = free;
  }
  return best;
}

void RememberWindow(const QWidget* window, const QString& key) {
  QSettings().setValue(SettingsKey(key), window->saveGeometry());
}

QRect FitOnScreen(QRect frame, const QRect& screen) {
  frame.setSize(frame.size().boundedTo(screen.size()));
  return Inside(frame, screen);
}

void PlaceWindow(QWidget* window, const QString& key, const QWidget* main) {
  new GeometryKeeper(window, key);
  const QByteArray saved = QSettings().value(SettingsKey(key)).toByteArray();
  if (!saved.isEmpty() && window->restoreGeometry(saved)) {
    const QRect frame = window->frameGeometry();
    const QRect fitted = FitOnScreen(frame, FreeArea(main ? main : window));
    if (fitted != frame) {
      window->resize(window->size() - (frame.size() - fitted.size()));
      window->move(fitted.topLeft());
    }
    return;
  }
  if (!main) return;
  const QRect screen = FreeArea(main);
  QList<QRect> others;
  for (const QWidget* open : QApplication::topLevelWidgets()) {
    if (open != main && open != window && open->isVisible()) others << open->frameGeometry();
  }
  // The frame adds the title bar and borders the window manager draws around the client.
  const QSize frame = main->frameGeometry().size() - main->geometry().size();
  QSize size = window->size().boundedTo(screen.size() - frame);
  QRect place = PlaceBeside(main->frameGeometry(), size + frame, screen, others);
  // On a small screen a window of its own size covers the main window wherever it goes: it
  // then takes the largest band of the screen beside the main window, when one is big enough
  // to work in.
  if (place.intersects(main->frameGeometry())) {
    const QRect band = LargestBandBeside(main->frameGeometry(), screen);
    if (band.width() >= kWorkingSize.width() && band.height() >= kWorkingSize.height()) {
      size = size.boundedTo(band.size() - frame);
      place = QRect(band.topLeft(), size + frame);
    }
  }
  window->resize(size);
  window->move(place.topLeft());
}

void KeepOnScreen(QWidget* window, const QRect& screen) {
  const QRect frame = window->frameGeometry();
  if (screen.contains(frame) || frame.width() > screen.width() || frame.height() > screen.height())
    return;
  window->move(Inside(frame, screen).topLeft());
}
