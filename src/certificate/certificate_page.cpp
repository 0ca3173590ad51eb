#include "certificate/certificate_page.h"

#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPdfWriter>

#include "certificate/certificate_text.h"
#include "core/display_text.h"

namespace orvella::certificate {
namespace {

constexpr int kResolution = 300;  // dots per inch of the page's coordinates
constexpr int kMargin = 180;      // 15 mm
constexpr int kCaptionWidth = 520;

// Every text of the page, with what a record may carry to reorder or hide
// a line shown instead.
QString ToQt(const std::string& text) { return QString::fromStdString(DisplaySafeUtf8(text)); }

// Draws lines down the page from the top margin.
class PageWriter {
 public:
  PageWriter(QPainter& painter, int width) : painter_(painter), width_(width) {}

  void Text(const QString& text, const QFont& font, int left = 0) {
    painter_.setFont(font);
    const QRect box(kMargin + left, y_, width_ - left, 10'000);
    const QRect used = painter_.boundingRect(box, ::Qt::TextWordWrap, text);
    painter_.drawText(box, ::Qt::TextWordWrap, text);
    y_ += used.height();
  }

  void Row(const QString& caption, const QString& value, const QFont& font) {
    painter_.setFont(font);
    painter_.drawText(QRect(kMargin, y_, kCaptionWidth, 200), ::Qt::AlignLeft, caption);
    Text(value, font, kCaptionWidth);
  }

  // A stamp in red within a red frame, as wide as its text.
  void Mark(const QString& text, const QFont& font) {
    painter_.save();
    painter_.setFont(font);
    const QRect box = painter_.boundingRect(QRect(kMargin, y_, width_, 1000), ::Qt::AlignLeft, text)
                          .adjusted(0, 0, 40, 20);
    QPen pen(QColor(190, 0, 0));
    pen.setWidth(6);
    painter_.setPen(pen);
    painter_.drawRect(box);
    painter_.drawText(box, ::Qt::AlignCenter, text);
    painter_.restore();
    y_ += box.height();
  }

  void Rule() {
    painter_.drawLine(kMargin, y_ + 10, kMargin + width_, y_ + 10);
    Space(30);
  }

  void Space(int height) { y_ += height; }
  void MoveTo(int y) { y_ = std::max(y_, y); }

 private:
  QPainter& painter_;
  int width_;
  int y_ = kMargin;
};

QFont Font(int points, bool bold = false, bool fixed = false) {
  QFont font(fixed ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"), points);
  font.setBold(bold);
  // No ligatures: the text of the PDF must read as written ("fi", not "ﬁ"),
  // for those who search it.
  font.setStyleStrategy(QFont::PreferNoShaping);
  if (fixed) font.setStyleHint(QFont::TypeWriter);
  return font;
}

void DrawPage(QPainter& painter, const Json& record, int width, int height) {
  PageWriter page(painter, width);
  page.Text(ToQt(CertificateTitle(record)), Font(18, true));
  if (const std::string mark = CertificateMark(record); !mark.empty()) {
    page.Space(10);
    page.Mark(ToQt(mark), Font(14, true));
  }
  page.Space(20);
  page.Text(ToQt(CategoryLine(record)), Font(14, true));
  page.Space(10);
  page.Text(ToQt(ResultLine(record)), Font(12, true));
  page.Rule();
  for (const Section& section : CertificateSections(record)) {
    page.Text(ToQt(section.heading), Font(11, true));
    page.Space(10);
    for (const Row& row : section.rows) page.Row(ToQt(row.caption), ToQt(row.value), Font(9));
    page.Space(30);
  }
  page.Text(ToQt(SignatureLine(record)), Font(9, true));
  page.Space(10);
  page.Text(ToQt(DigestWords()), Font(8));
  page.Text(ToQt(record.value("sha256", "")), Font(9, false, true));
  page.MoveTo(height - kMargin - 560);
  page.Rule();
  for (const char* who : {"Operator", "Validator"}) {
    page.Text(QStringLiteral("%1 - name and title: ________________________________").arg(QLatin1String(who)),
              Font(10));
    page.Space(70);
    page.Text(QStringLiteral("Signature: ____________________________    Date: ______________"), Font(10));
    page.Space(60);
  }
}

}  // namespace

bool WriteCertificate(const Json& record, const QString& pdfPath, QString& problem) {
  QPdfWriter writer(pdfPath);
  writer.setResolution(kResolution);
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  writer.setTitle(ToQt(CertificateTitle(record)));
  writer.setCreator(ToQt(record.value("program", "")));
  QPainter painter;
  if (!painter.begin(&writer)) {
    problem = QStringLiteral("cannot write ") + pdfPath;
    return false;
  }
  const QRect page = writer.pageLayout().paintRectPixels(kResolution);
  DrawPage(painter, record, page.width() - 2 * kMargin, page.height());
  if (!painter.end()) {
    problem = QStringLiteral("cannot finish ") + pdfPath;
    return false;
  }
  return true;
}

}  // namespace orvella::certificate
