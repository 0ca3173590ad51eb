#include "ui/qt/panel_status_bar.h"

#include <QPainter>

namespace orvella::qt {
namespace {

constexpr int kHeight = 20;
constexpr int kTextInset = 4;

// A text wider than the visible part of its panel ends in an ellipsis
// instead of being cut through a letter at the window's edge.
void DrawPanelText(QPainter& painter, const QRect& panel, int barWidth, Qt::Alignment alignment,
                   const QString& text) {
  const QRect visible = panel.intersected(QRect(0, panel.top(), barWidth, panel.height()));
  if (visible.isEmpty()) return;
  const QRect textRect = visible.adjusted(kTextInset, 0, -kTextInset, 0);
  const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
  painter.drawText(textRect, static_cast<int>(alignment | Qt::AlignVCenter), shown);
}

}  // namespace

PanelStatusBar::PanelStatusBar(std::vector<Panel> panels, QWidget* parent)
    : QWidget(parent), panels_(std::move(panels)) {
  setObjectName(QStringLiteral("StatusBar"));
  setFixedHeight(kHeight);
}

void PanelStatusBar::SetPanelText(int panel, const QString& text) {
  panels_.at(static_cast<std::size_t>(panel)).text = text;
  UpdateAccessibleText();
  update();
}

void PanelStatusBar::SetSimpleText(const QString& text) {
  simple_ = true;
  simpleText_ = text;
  UpdateAccessibleText();
  update();
}

// The bar paints its texts itself; screen readers get them as its
// accessible description.
void PanelStatusBar::UpdateAccessibleText() {
  QStringList texts;
  if (simple_) {
    texts << simpleText_;
  } else {
    for (const auto& panel : panels_)
      if (!panel.text.isEmpty()) texts << panel.text;
  }
  setAccessibleDescription(texts.join(QStringLiteral("; ")));
}

void PanelStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.setPen(palette().mid().color());
  painter.drawLine(0, 0, width(), 0);
  painter.setPen(palette().windowText().color());
  if (simple_) {
    DrawPanelText(painter, rect().adjusted(0, 1, 0, 0), width(), Qt::AlignLeft, simpleText_);
    return;
  }
  int left = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const QRect panel(left, 1, panels_[i].width, height() - 1);
    DrawPanelText(painter, panel, width(), panels_[i].alignment, panels_[i].text);
    left += panels_[i].width;
    if (i + 1 < panels_.size()) {
      painter.setPen(palette().mid().color());
      painter.drawLine(left - 1, 3, left - 1, height() - 3);
      painter.setPen(palette().windowText().color());
    }
  }
}

}  // namespace orvella::qt
