#include "platform/system_printers.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"

namespace zv::platform {
namespace {

constexpr double kPointsPerInch = 72.0;
// A4 in points.
constexpr double kA4Width = 595.2756;
constexpr double kA4Height = 841.8898;
// Files of one second are told apart by a counter; past it the job fails.
constexpr int kMaxSameNameFiles = 1000;

constexpr double kMargin = SystemPrinters::kPdfMarginPoints;

// The sheet and the printable area on it, in points.
struct PageGeometry {
  double width = kA4Width;
  double height = kA4Height;
  double left = kMargin;
  double top = kMargin;
  double printable_width = kA4Width - 2 * kMargin;
  double printable_height = kA4Height - 2 * kMargin;
};

// Sends a finished document to the printer; false when it was refused.
using SubmitJob = std::function<bool(const std::filesystem::path& file)>;

std::string MonospaceFamily() {
  std::string family = "monospace";
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("monospace"));
  if (pattern == nullptr) return family;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) family = reinterpret_cast<char*>(name);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return family;
}

int DevicePixels(double points) {
  return static_cast<int>(std::lround(points * SystemPrinters::kDotsPerInch / kPointsPerInch));
}

// Draws pages of text with cairo into a PDF file in `folder`. Device units
// are dots of kDotsPerInch from the printable area's top left.
class CairoPrinterDC final : public PrinterDC {
 public:
  CairoPrinterDC(PageGeometry page, std::filesystem::path folder, SubmitJob submit)
      : page_(page), folder_(std::move(folder)), submit_(std::move(submit)) {
    font_face_ = cairo_toy_font_face_create(MonospaceFamily().c_str(), CAIRO_FONT_SLANT_NORMAL,
                                            CAIRO_FONT_WEIGHT_NORMAL);
    cairo_matrix_t font_matrix;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&font_matrix, FontPixels(), FontPixels());
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_scaled_font_t* scaled = cairo_scaled_font_create(font_face_, &font_matrix, &identity, options);
    cairo_font_extents_t font;
    cairo_scaled_font_extents(scaled, &font);
    cairo_text_extents_t x;
    cairo_scaled_font_text_extents(scaled, "x", &x);
    ascent_ = font.ascent;
    metrics_.tmAscent = static_cast<LONG>(std::lround(font.ascent));
    metrics_.tmDescent = static_cast<LONG>(std::lround(font.descent));
    metrics_.tmHeight = metrics_.tmAscent + metrics_.tmDescent;
    metrics_.tmExternalLeading = static_cast<LONG>(std::lround(std::max(0.0, font.height - font.ascent - font.descent)));
    metrics_.tmAveCharWidth = static_cast<LONG>(std::lround(x.x_advance));
    metrics_.tmMaxCharWidth = static_cast<LONG>(std::lround(font.max_x_advance));
    metrics_.tmWeight = 400;
    metrics_.tmDigitizedAspectX = SystemPrinters::kDotsPerInch;
    metrics_.tmDigitizedAspectY = SystemPrinters::kDotsPerInch;
    metrics_.tmFirstChar = 0x20;
    metrics_.tmLastChar = 0xFF;
    metrics_.tmDefaultChar = '?';
    metrics_.tmBreakChar = ' ';
    metrics_.tmPitchAndFamily = FF_MODERN;  // the low bit clear: fixed pitch
    metrics_.tmCharSet = ANSI_CHARSET;
    cairo_scaled_font_destroy(scaled);
    cairo_font_options_destroy(options);
  }

  ~CairoPrinterDC() override {
    // A document that was not ended is discarded.
    if (cr_ != nullptr || file_ != nullptr) {
      CloseDocument();
      std::error_code ignored;
      std::filesystem::remove(path_, ignored);
    }
    cairo_font_face_destroy(font_face_);
  }

  BOOL GetTextMetrics(TEXTMETRICA* metrics) override {
    if (metrics == nullptr) return FALSE;
    *metrics = metrics_;
    return TRUE;
  }

  int GetDeviceCaps(int index) override {
    switch (index) {
      case HORZRES:
        return DevicePixels(page_.printable_width);
      case VERTRES:
        return DevicePixels(page_.printable_height);
      case LOGPIXELSX:
      case LOGPIXELSY:
        return SystemPrinters::kDotsPerInch;
      default:
        return 0;
    }
  }

  int StartDoc(const DOCINFOA& /*info*/) override {
    if (started_) return SP_ERROR;
    started_ = true;
    if (!OpenFile()) return SP_ERROR;
    surface_ = cairo_pdf_surface_create_for_stream(&CairoPrinterDC::Write, this, page_.width, page_.height);
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "ZVEmul");
    cr_ = cairo_create(surface_);
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) return SP_ERROR;
    cairo_translate(cr_, page_.left, page_.top);
    cairo_scale(cr_, kPointsPerInch / SystemPrinters::kDotsPerInch, kPointsPerInch / SystemPrinters::kDotsPerInch);
    cairo_set_font_face(cr_, font_face_);
    cairo_set_font_size(cr_, FontPixels());
    cairo_set_source_rgb(cr_, 0, 0, 0);
    return 1;
  }

  int StartPage() override {
    if (!Drawable() || page_open_) return SP_ERROR;
    page_open_ = true;
    return 1;
  }

  BOOL TextOut(int x, int y, std::string_view text) override {
    if (!page_open_ || !Drawable()) return FALSE;
    // Control characters (the tab of a wrap marker) take a cell and show nothing.
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) shown += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    cairo_move_to(cr_, x, y + ascent_);
    cairo_show_text(cr_, Cp1252ToUtf8(shown).c_str());
    return Drawable() ? TRUE : FALSE;
  }

  int EndPage() override {
    if (!page_open_ || !Drawable()) return SP_ERROR;
    page_open_ = false;
    cairo_show_page(cr_);
    return Drawable() ? 1 : SP_ERROR;
  }

  int EndDoc() override {
    if (!Drawable() || page_open_) return SP_ERROR;
    const bool written = CloseDocument();
    bool done = written;
    if (written && submit_) done = submit_(path_);
    if (!written || submit_) {
      // A failed file, or the copy handed to CUPS, is not kept.
      std::error_code ignored;
      std::filesystem::remove(path_, ignored);
    }
    return done ? 1 : SP_ERROR;
  }

 private:
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
    auto* self = static_cast<CairoPrinterDC*>(closure);
    if (self->file_ == nullptr || std::fwrite(data, 1, length, self->file_) != length) return CAIRO_STATUS_WRITE_ERROR;
    return CAIRO_STATUS_SUCCESS;
  }

  double FontPixels() const { return SystemPrinters::kFontPoints * SystemPrinters::kDotsPerInch / kPointsPerInch; }

  bool Drawable() const { return cr_ != nullptr && cairo_status(cr_) == CAIRO_STATUS_SUCCESS; }

  // A new file named after the local time, never one that exists.
  bool OpenFile() {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const LocalTime now = GetLocalTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "zvemul-%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    const mode_t mode = submit_ ? 0600 : 0644;
    for (int n = 1; n <= kMaxSameNameFiles; ++n) {
      std::string name = stamp;
      if (n > 1) name += "-" + std::to_string(n);
      std::filesystem::path path = folder_ / (name + ".pdf");
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        return false;
      }
      file_ = ::fdopen(fd, "wb");
      if (file_ == nullptr) {
        ::close(fd);
        std::filesystem::remove(path, error);
        return false;
      }
      path_ = std::move(path);
      return true;
    }
    return false;
  }

  // Finishes the PDF and closes the file; true when all of it was written.
  bool CloseDocument() {
    bool ok = true;
    if (cr_ != nullptr) {
      ok = cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
      cairo_destroy(cr_);
      cr_ = nullptr;
    }
    if (surface_ != nullptr) {
      cairo_surface_finish(surface_);
      ok = ok && cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
      cairo_surface_destroy(surface_);
      surface_ = nullptr;
    }
    if (file_ != nullptr) {
      ok = std::fclose(file_) == 0 && ok;
      file_ = nullptr;
    }
    return ok;
  }

  PageGeometry page_;
  std::filesystem::path folder_;
  SubmitJob submit_;
  cairo_font_face_t* font_face_ = nullptr;
  double ascent_ = 0;
  TEXTMETRICA metrics_;
  bool started_ = false;
  bool page_open_ = false;
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
};

// ---- CUPS ------------------------------------------------------------------------------------------

std::string DestinationName(const cups_dest_t& dest) {
  std::string name = dest.name != nullptr ? dest.name : "";
  if (dest.instance != nullptr) name += std::string("/") + dest.instance;
  return name;
}

struct CupsDestinations {
  CupsDestinations() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests); }
  ~CupsDestinations() { cupsFreeDests(count, dests); }
  CupsDestinations(const CupsDestinations&) = delete;
  CupsDestinations& operator=(const CupsDestinations&) = delete;
  int count = 0;
  cups_dest_t* dests = nullptr;
};

// The printable area of the destination's default media; A4 when CUPS names
// none.
PageGeometry MediaOf(cups_dest_t* dest) {
  PageGeometry page;
  cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
  if (info == nullptr) return page;
  cups_size_t size;
  if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) != 0 && size.width > 0 && size.length > 0) {
    // Sizes are in hundredths of a millimetre.
    auto points = [](int hundredths) { return hundredths / 2540.0 * kPointsPerInch; };
    page.width = points(size.width);
    page.height = points(size.length);
    page.left = points(size.left);
    page.top = points(size.top);
    page.printable_width = std::max(1.0, points(size.width - size.left - size.right));
    page.printable_height = std::max(1.0, points(size.length - size.top - size.bottom));
  }
  cupsFreeDestInfo(info);
  return page;
}

std::unique_ptr<PrinterDC> CupsPrinterDC(const PrinterSettings& settings) {
  const std::string& name = settings.printer;
  const std::size_t slash = name.find('/');
  const std::string queue = name.substr(0, slash);
  const std::string instance = slash == std::string::npos ? std::string() : name.substr(slash + 1);
  cups_dest_t* dest =
      cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), instance.empty() ? nullptr : instance.c_str());
  if (dest == nullptr) return nullptr;
  const PageGeometry page = MediaOf(dest);
  std::vector<std::pair<std::string, std::string>> options;
  for (int i = 0; i < dest->num_options; ++i) options.emplace_back(dest->options[i].name, dest->options[i].value);
  cupsFreeDests(1, dest);
  options.emplace_back("copies", std::to_string(std::max<int>(1, settings.copies)));

  const char* temp = std::getenv("TMPDIR");
  std::filesystem::path folder = temp != nullptr && temp[0] == '/' ? temp : "/tmp";
  SubmitJob submit = [queue, options](const std::filesystem::path& file) {
    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [key, value] : options) count = cupsAddOption(key.c_str(), value.c_str(), count, &list);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), file.c_str(), "ZVEmul", count, list);
    cupsFreeOptions(count, list);
    return job > 0;
  };
  return std::make_unique<CairoPrinterDC>(page, std::move(folder), std::move(submit));
}

}  // namespace

std::filesystem::path SystemPrinters::PdfFolder() {
  const char* folder = std::getenv(kPrintDirVariable);
  if (folder != nullptr && folder[0] != '\0') return folder;
  return HomeDirectory() / kProfilePrintFolder;
}

std::vector<std::string> SystemPrinters::PrinterNames() {
  std::vector<std::string> names;
  CupsDestinations cups;
  for (int i = 0; i < cups.count; ++i) {
    std::string name = DestinationName(cups.dests[i]);
    if (name != kPdfPrinter) names.push_back(std::move(name));
  }
  names.emplace_back(kPdfPrinter);
  return names;
}

std::string SystemPrinters::DefaultPrinter() {
  CupsDestinations cups;
  for (int i = 0; i < cups.count; ++i) {
    if (cups.dests[i].is_default) {
      std::string name = DestinationName(cups.dests[i]);
      if (name != kPdfPrinter) return name;
    }
  }
  return kPdfPrinter;
}

std::unique_ptr<PrinterDC> SystemPrinters::CreateDC(const PrinterSettings& settings) {
  if (settings.printer == kPdfPrinter) return std::make_unique<CairoPrinterDC>(PageGeometry{}, PdfFolder(), nullptr);
  if (settings.printer.empty()) return nullptr;
  return CupsPrinterDC(settings);
}

}  // namespace zv::platform
