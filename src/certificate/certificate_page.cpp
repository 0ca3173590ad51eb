#include "certificate/certificate_page.h"

#include <algorithm>
#include <vector>

#include "certificate/certificate_text.h"
#include "certificate/line_wrap.h"
#include "certificate/pdf_canvas.h"
#include "core/display_text.h"
#include "core/text.h"

namespace orvella::certificate {
namespace {

// Measures in points.
constexpr double kMargin = 43.2;  // about 15 mm
constexpr double kCaptionWidth = 124.8;
constexpr double kCaptionGap = 4.8;
constexpr double kLeading = 1.17;   // a line's height, in multiples of its font's size
constexpr double kAscent = 0.93;    // the baseline below a line's top, in the same
constexpr Colour kRed{190 / 255.0, 0, 0};

struct Style {
  Face face = Face::Regular;
  double size = 9;
  constexpr double LineHeight() const { return size * kLeading; }
};

constexpr Style kTitle{Face::Bold, 18};
constexpr Style kMarkStyle{Face::Bold, 14};
constexpr Style kCategory{Face::Bold, 14};
constexpr Style kResult{Face::Bold, 12};
constexpr Style kHeading{Face::Bold, 11};
constexpr Style kRow{Face::Regular, 9};
constexpr Style kSignature{Face::Bold, 9};
constexpr Style kSmall{Face::Regular, 8};
constexpr Style kDigest{Face::Mono, 9};
constexpr Style kFillIn{Face::Regular, 10};

// The lines to sign: a rule, then for each of two people a line for the
// name and one for the signature, each with the space below it.
constexpr double kRuleHeight = 7.2;
constexpr double kSignatureBlock = kRuleHeight + 2 * (2 * kFillIn.LineHeight() + 16.8 + 14.4);
// Where the lines to sign begin when the record leaves room: this far
// above the bottom margin.
constexpr double kSignatureLift = 18;

// Draws lines down the page from the top margin, and goes on to a new page
// where the next line would cross the bottom margin: nothing is drawn off
// the page.
class PageWriter {
 public:
  explicit PageWriter(PdfCanvas& canvas) : canvas_(canvas) {}

  void Text(const std::string& text, Style style) {
    for (const std::string& line : Wrapped(text, style, kWidth)) {
      Room(style.LineHeight());
      Draw(line, style, kMargin);
      y_ += style.LineHeight();
    }
  }

  // A caption and its value in two columns, each wrapped in its own.
  void Row(const std::string& caption, const std::string& value, Style style) {
    const std::vector<std::string> left = Wrapped(caption, style, kCaptionWidth - kCaptionGap);
    const std::vector<std::string> right = Wrapped(value, style, kWidth - kCaptionWidth);
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
      Room(style.LineHeight());
      if (i < left.size()) Draw(left[i], style, kMargin);
      if (i < right.size()) Draw(right[i], style, kMargin + kCaptionWidth);
      y_ += style.LineHeight();
    }
  }

  // A stamp in red within a red frame, as wide as its text.
  void Mark(const std::string& text, Style style) {
    const double textWidth = canvas_.TextWidth(style.face, style.size, text);
    const double width = std::min(textWidth + 9.6, kWidth);
    const double height = style.LineHeight() + 4.8;
    Room(height);
    canvas_.Frame(kMargin, y_, width, height, 1.44, kRed);
    canvas_.Text(style.face, style.size, kMargin + std::max(0.0, (width - textWidth) / 2),
                 y_ + 2.4 + style.size * kAscent, text, kRed);
    y_ += height;
  }

  void Rule() {
    Room(kRuleHeight);
    canvas_.Line(kMargin, y_ + 2.4, kMargin + kWidth, y_ + 2.4, 0.5);
    y_ += kRuleHeight;
  }

  void Space(double height) { y_ += height; }

  // Moves down to `y`, or to the next page where what follows needs more
  // room than is left on this one.
  void KeepTogether(double height, double y) {
    Room(height);
    y_ = std::max(y_, std::min(y, kBottom - height));
  }

 private:
  static constexpr double kWidth = PdfCanvas::kPageWidth - 2 * kMargin;
  static constexpr double kBottom = PdfCanvas::kPageHeight - kMargin;

  std::vector<std::string> Wrapped(const std::string& text, Style style, double width) {
    return WrapLines(DisplaySafeUtf8(text), width,
                     [&](std::string_view piece) { return canvas_.TextWidth(style.face, style.size, piece); });
  }

  void Draw(const std::string& line, Style style, double x) {
    canvas_.Text(style.face, style.size, x, y_ + style.size * kAscent, line);
  }

  void Room(double height) {
    if (y_ + height <= kBottom || y_ == kMargin) return;
    canvas_.NewPage();
    y_ = kMargin;
  }

  PdfCanvas& canvas_;
  double y_ = kMargin;
};

void DrawSignatureLines(PageWriter& page) {
  page.KeepTogether(kSignatureBlock, PdfCanvas::kPageHeight - kMargin - kSignatureBlock - kSignatureLift);
  page.Rule();
  for (const char* who : {"Operator", "Validator"}) {
    page.Text(std::string(who) + " - name and title: ________________________________", kFillIn);
    page.Space(16.8);
    page.Text("Signature: ____________________________    Date: ______________", kFillIn);
    page.Space(14.4);
  }
}

void DrawPage(PageWriter& page, const Json& record) {
  page.Text(CertificateTitle(record), kTitle);
  if (const std::string mark = CertificateMark(record); !mark.empty()) {
    page.Space(2.4);
    page.Mark(mark, kMarkStyle);
  }
  page.Space(4.8);
  page.Text(CategoryLine(record), kCategory);
  page.Space(2.4);
  page.Text(ResultLine(record), kResult);
  page.Rule();
  for (const Section& section : CertificateSections(record)) {
    page.Text(section.heading, kHeading);
    page.Space(2.4);
    for (const Row& row : section.rows) page.Row(row.caption, row.value, kRow);
    page.Space(7.2);
  }
  page.Text(SignatureLine(record), kSignature);
  page.Space(2.4);
  page.Text(DigestWords(), kSmall);
  page.Text(record.value("sha256", ""), kDigest);
  DrawSignatureLines(page);
}

}  // namespace

bool WriteCertificate(const Json& record, const std::filesystem::path& pdfPath, const FontFiles& fonts,
                      std::string& problem) {
  PdfCanvas canvas(fonts);
  canvas.SetTitle(CertificateTitle(record), DisplaySafeUtf8(record.value("program", "")));
  PageWriter page(canvas);
  DrawPage(page, record);
  return canvas.Save(pdfPath, problem);
}

bool WriteCertificate(const Json& record, const std::filesystem::path& pdfPath, std::string& problem) {
  return WriteCertificate(record, pdfPath, SystemFontFiles(), problem);
}

std::u16string WriteCertificateFile(const Json& record, const std::u16string& pdfPath) {
  std::string problem;
  return WriteCertificate(record, std::filesystem::path(pdfPath), problem) ? std::u16string() : Utf8ToText(problem);
}

}  // namespace orvella::certificate
