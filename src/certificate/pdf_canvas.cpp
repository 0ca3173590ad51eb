#include "certificate/pdf_canvas.h"

#include <hpdf.h>

#include <cstdio>
#include <fstream>
#include <system_error>
#include <vector>

#include "certificate/winansi_text.h"
#include "core/text.h"

namespace orvella::certificate {
namespace {

void HPDF_STDCALL OnError(HPDF_STATUS error, HPDF_STATUS detail, void* canvas) {
  static_cast<PdfCanvas*>(canvas)->Failed(error, detail);
}

std::string LibraryProblem(unsigned long error, unsigned long detail) {
  char words[96];
  std::snprintf(words, sizeof words, "the PDF library failed (error 0x%04lX, detail %lu)", error, detail);
  return words;
}

// A path in a message, as UTF-8 on every platform.
std::string Shown(const std::filesystem::path& path) {
#ifdef _WIN32
  return TextToUtf8(path.u16string());
#else
  return path.string();
#endif
}

}  // namespace

PdfCanvas::PdfCanvas(const FontFiles& fonts) : doc_(HPDF_New(OnError, this)) {
  if (doc_ == nullptr) {
    error_ = HPDF_FAILD_TO_ALLOC_MEM;
    return;
  }
  HPDF_SetCompressionMode(doc_, HPDF_COMP_ALL);
  HPDF_UseUTFEncodings(doc_);
  regular_ = LoadFont(fonts.regular, "Helvetica");
  bold_ = LoadFont(fonts.bold, "Helvetica-Bold");
  mono_ = LoadFont({}, "Courier");
  NewPage();
}

PdfCanvas::~PdfCanvas() {
  if (doc_ != nullptr) HPDF_Free(doc_);
}

void PdfCanvas::Failed(unsigned long error, unsigned long detail) {
  if (error_ != 0) return;
  error_ = error;
  detail_ = detail;
}

// A TrueType file that cannot be read, or is not one, leaves the built-in
// font: the page is still made, in a plainer face.
PdfCanvas::Font PdfCanvas::LoadFont(const std::string& file, const char* builtIn) {
  if (doc_ == nullptr) return {};
  if (!file.empty() && IsTrueTypeFont(file)) {
    const char* name = HPDF_LoadTTFontFromFile(doc_, file.c_str(), HPDF_TRUE);
    HPDF_Font font = name != nullptr ? HPDF_GetFont(doc_, name, "UTF-8") : nullptr;
    if (font != nullptr) return {font, true};
    HPDF_ResetError(doc_);
    error_ = detail_ = 0;
  }
  return {HPDF_GetFont(doc_, builtIn, "WinAnsiEncoding"), false};
}

const PdfCanvas::Font& PdfCanvas::FontOf(Face face) const {
  switch (face) {
    case Face::Bold: return bold_;
    case Face::Mono: return mono_;
    case Face::Regular: break;
  }
  return regular_;
}

std::string PdfCanvas::Encoded(const Font& font, std::string_view text) const {
  return font.unicode ? std::string(text) : ToWinAnsi(text);
}

void PdfCanvas::NewPage() {
  if (error_ != 0) return;
  page_ = HPDF_AddPage(doc_);
  if (page_ != nullptr) HPDF_Page_SetSize(page_, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
}

double PdfCanvas::TextWidth(Face face, double size, std::string_view text) {
  const Font& font = FontOf(face);
  if (error_ != 0 || font.handle == nullptr) return 0;
  HPDF_Page_SetFontAndSize(page_, font.handle, static_cast<HPDF_REAL>(size));
  return HPDF_Page_TextWidth(page_, Encoded(font, text).c_str());
}

void PdfCanvas::Text(Face face, double size, double x, double baseline, std::string_view text, Colour colour) {
  const Font& font = FontOf(face);
  if (error_ != 0 || font.handle == nullptr) return;
  HPDF_Page_SetRGBFill(page_, static_cast<HPDF_REAL>(colour.red), static_cast<HPDF_REAL>(colour.green),
                       static_cast<HPDF_REAL>(colour.blue));
  HPDF_Page_BeginText(page_);
  HPDF_Page_SetFontAndSize(page_, font.handle, static_cast<HPDF_REAL>(size));
  HPDF_Page_TextOut(page_, static_cast<HPDF_REAL>(x), static_cast<HPDF_REAL>(kPageHeight - baseline),
                    Encoded(font, text).c_str());
  HPDF_Page_EndText(page_);
}

void PdfCanvas::Line(double x1, double y1, double x2, double y2, double width) {
  if (error_ != 0) return;
  HPDF_Page_SetRGBStroke(page_, 0, 0, 0);
  HPDF_Page_SetLineWidth(page_, static_cast<HPDF_REAL>(width));
  HPDF_Page_MoveTo(page_, static_cast<HPDF_REAL>(x1), static_cast<HPDF_REAL>(kPageHeight - y1));
  HPDF_Page_LineTo(page_, static_cast<HPDF_REAL>(x2), static_cast<HPDF_REAL>(kPageHeight - y2));
  HPDF_Page_Stroke(page_);
}

void PdfCanvas::Frame(double x, double y, double width, double height, double lineWidth, Colour colour) {
  if (error_ != 0) return;
  HPDF_Page_SetRGBStroke(page_, static_cast<HPDF_REAL>(colour.red), static_cast<HPDF_REAL>(colour.green),
                         static_cast<HPDF_REAL>(colour.blue));
  HPDF_Page_SetLineWidth(page_, static_cast<HPDF_REAL>(lineWidth));
  HPDF_Page_Rectangle(page_, static_cast<HPDF_REAL>(x), static_cast<HPDF_REAL>(kPageHeight - y - height),
                      static_cast<HPDF_REAL>(width), static_cast<HPDF_REAL>(height));
  HPDF_Page_Stroke(page_);
}

// The document's information is written as it is given, read as
// PDFDocEncoding: the text as WinAnsi bytes comes closest.
void PdfCanvas::SetTitle(std::string_view title, std::string_view creator) {
  if (error_ != 0) return;
  HPDF_SetInfoAttr(doc_, HPDF_INFO_TITLE, ToWinAnsi(title).c_str());
  HPDF_SetInfoAttr(doc_, HPDF_INFO_CREATOR, ToWinAnsi(creator).c_str());
}

bool PdfCanvas::Save(const std::filesystem::path& path, std::string& problem) {
  std::vector<HPDF_BYTE> bytes;
  if (error_ == 0 && HPDF_SaveToStream(doc_) == HPDF_OK) {
    HPDF_UINT32 size = HPDF_GetStreamSize(doc_);
    bytes.resize(size);
    if (HPDF_ReadFromStream(doc_, bytes.data(), &size) != HPDF_OK && error_ == 0) error_ = HPDF_STREAM_EOF;
    bytes.resize(size);
  }
  if (error_ != 0) {
    problem = "cannot make " + Shown(path) + ": " + LibraryProblem(error_, detail_);
    return false;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (file) return true;
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  problem = "cannot write " + Shown(path);
  return false;
}

}  // namespace orvella::certificate
