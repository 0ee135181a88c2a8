#include "viewer/TForm1.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "viewer/HelpText.h"
#include "viewer/Look.h"

TForm1::TForm1(QWidget* parent) : QDialog(parent), memo_(new QPlainTextEdit(this)) {
  setWindowTitle("Pomoc");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                 Qt::WindowTitleHint);
  setModal(false);
  setFixedSize(470, 348);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(memo_);
  Paint(memo_, ColourOf(SystemColour::Aqua));
  memo_->setFont(WindowsFont("MS Sans Serif", 8));
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QStringList lines;
  for (const std::string& line : HelpText())
    lines << QString::fromStdString(line);
  memo_->setPlainText(lines.join('\n'));
}
