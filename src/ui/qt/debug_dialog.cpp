#include "ui/qt/debug_dialog.h"

#include <QVBoxLayout>

#include "ui/qt/qt_text.h"

namespace orvella::qt {

DebugDialog::DebugDialog() : memo1_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("TFmDebug"));
  setWindowTitle(QStringLiteral("Debug"));
  resize(635, 337);
  CentreOnScreen(*this);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setFont(QFont(QStringLiteral("Tahoma"), 8));
  memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo1_->setPlainText(QStringLiteral("Debug window"));
  memo1_->setReadOnly(true);
  memo1_->setAccessibleName(QStringLiteral("Debug log"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(memo1_);
}

void DebugDialog::ShowModeless() {
  setModal(false);
  show();
}

void DebugDialog::Close() { close(); }

void DebugDialog::ShowModal() { exec(); }

}  // namespace orvella::qt
