// A PDF document drawn page by page with libharu: lines of text in three
// faces, lines and frames, measured in points from the top left corner of
// an A4 page. Text is UTF-8; a face drawn with an embedded TrueType font
// shows it as it is, one drawn with a built-in font through
// WinAnsiEncoding, with what that set lacks shown as "<U+....>".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "certificate/font_files.h"

struct _HPDF_Doc_Rec;
struct _HPDF_Dict_Rec;

namespace orvella::certificate {

enum class Face { Regular, Bold, Mono };

struct Colour {
  double red = 0, green = 0, blue = 0;  // 0 to 1
};

class PdfCanvas {
 public:
  explicit PdfCanvas(const FontFiles& fonts);
  ~PdfCanvas();
  PdfCanvas(const PdfCanvas&) = delete;
  PdfCanvas& operator=(const PdfCanvas&) = delete;

  static constexpr double kPageWidth = 595.276;  // A4 in points
  static constexpr double kPageHeight = 841.89;

  void NewPage();
  double TextWidth(Face face, double size, std::string_view text);
  // One line of text whose baseline is `baseline` points below the top.
  void Text(Face face, double size, double x, double baseline, std::string_view text, Colour colour = {});
  void Line(double x1, double y1, double x2, double y2, double width);
  void Frame(double x, double y, double width, double height, double lineWidth, Colour colour);
  void SetTitle(std::string_view title, std::string_view creator);

  // Writes the document to `path`; false, with `problem` set, when the
  // library failed on the way or the file cannot be written (no file is
  // left behind then).
  bool Save(const std::filesystem::path& path, std::string& problem);

  // Called by the library on each error: the first one is kept.
  void Failed(unsigned long error, unsigned long detail);

 private:
  struct Font {
    _HPDF_Dict_Rec* handle = nullptr;
    bool unicode = false;  // a TrueType font taking UTF-8
  };
  Font LoadFont(const std::string& file, const char* builtIn);
  const Font& FontOf(Face face) const;
  std::string Encoded(const Font& font, std::string_view text) const;

  _HPDF_Doc_Rec* doc_ = nullptr;
  _HPDF_Dict_Rec* page_ = nullptr;
  Font regular_, bold_, mono_;
  unsigned long error_ = 0, detail_ = 0;
};

}  // namespace orvella::certificate
