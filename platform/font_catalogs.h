// Font catalogues: the installed fonts through fontconfig, and a fixed list.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

struct _FcConfig;

namespace zv::platform {

// A face is present when fontconfig's best match for the family is that
// family, or a family that fontconfig's configuration binds to it as a
// strong (metric-compatible) alias: "Courier New" is present through
// Liberation Mono, while a face that only finds a generic fallback such as
// DejaVu Sans is not. Monospaced and character-cell fonts are
// FIXED_PITCH | FF_MODERN, the rest VARIABLE_PITCH | FF_DONTCARE; the
// charset is ANSI. Answers are kept per face.
class FontconfigCatalog : public FontCatalog {
 public:
  // Loads fontconfig's configuration and font list; without it no face is
  // present.
  FontconfigCatalog();
  ~FontconfigCatalog() override;
  FontconfigCatalog(const FontconfigCatalog&) = delete;
  FontconfigCatalog& operator=(const FontconfigCatalog&) = delete;

  std::optional<FontFace> Find(std::string_view face) override;

 private:
  std::optional<FontFace> Lookup(const std::string& face);

  _FcConfig* config_ = nullptr;
  std::map<std::string, std::optional<FontFace>> cache_;  // by lower-case face
};

// A fixed list of faces, found by name without regard to case.
class FixedFontCatalog : public FontCatalog {
 public:
  // Courier New and Lucida Console (fixed pitch), Arial and Times New Roman.
  FixedFontCatalog();
  explicit FixedFontCatalog(std::vector<FontFace> faces) : faces_(std::move(faces)) {}

  std::optional<FontFace> Find(std::string_view face) override;

 private:
  std::vector<FontFace> faces_;
};

}  // namespace zv::platform
