#include "picture/QuietQt.h"

#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler qtHandler = nullptr;

void QuietAboutRuntimeDir(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && text.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
  if (qtHandler) qtHandler(type, context, text);
}

}  // namespace

void DropRuntimeFolderWarning() {
  const QtMessageHandler previous = qInstallMessageHandler(QuietAboutRuntimeDir);
  if (previous != QuietAboutRuntimeDir) qtHandler = previous;
}
