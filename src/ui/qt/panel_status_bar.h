// A status bar of fixed-width panels laid out from the left, each text
// elided to the part of its panel the bar shows; or, in simple mode, one
// text across the whole bar.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

namespace orvella::qt {

class PanelStatusBar : public QWidget {
 public:
  struct Panel {
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    QString text;
  };

  PanelStatusBar(std::vector<Panel> panels, QWidget* parent);

  void SetPanelText(int panel, const QString& text);
  QString PanelText(int panel) const { return panels_.at(static_cast<std::size_t>(panel)).text; }
  // Switches to the single simple panel showing Text.
  void SetSimpleText(const QString& text);
  bool IsSimple() const { return simple_; }
  QString SimpleText() const { return simpleText_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void UpdateAccessibleText();
  std::vector<Panel> panels_;
  bool simple_ = false;
  QString simpleText_;
};

}  // namespace orvella::qt
