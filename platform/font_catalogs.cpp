#include "platform/font_catalogs.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace zv::platform {
namespace {

std::string Lower(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

const FcChar8* FcText(const std::string& text) { return reinterpret_cast<const FcChar8*>(text.c_str()); }

}  // namespace

FontconfigCatalog::FontconfigCatalog() : config_(FcInitLoadConfigAndFonts()) {}

FontconfigCatalog::~FontconfigCatalog() {
  if (config_ != nullptr) FcConfigDestroy(config_);
}

std::optional<FontFace> FontconfigCatalog::Find(std::string_view face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return std::nullopt;
  const std::string key = Lower(face);
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.emplace(key, Lookup(std::string(face))).first;
  if (!it->second) return std::nullopt;
  FontFace found = *it->second;
  found.face = std::string(face);
  return found;
}

std::optional<FontFace> FontconfigCatalog::Lookup(const std::string& face) {
  if (config_ == nullptr) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return std::nullopt;
  FcPatternAddString(pattern, FC_FAMILY, FcText(face));
  FcConfigSubstitute(config_, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  // The asked family and the aliases bound to it strongly; the weak ones
  // are generic fallbacks.
  std::set<std::string> accepted;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
    if (value.type == FcTypeString && binding != FcValueBindingWeak) {
      accepted.insert(Lower(reinterpret_cast<const char*>(value.u.s)));
    }
  }

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config_, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return std::nullopt;

  bool present = false;
  FcChar8* family = nullptr;
  for (int i = 0; !present && FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    present = accepted.count(Lower(reinterpret_cast<const char*>(family))) != 0;
  }
  int spacing = FC_PROPORTIONAL;
  FcPatternGetInteger(match, FC_SPACING, 0, &spacing);
  FcPatternDestroy(match);
  if (!present) return std::nullopt;

  FontFace found;
  found.face = face;
  found.charset = ANSI_CHARSET;
  const bool fixed = spacing == FC_MONO || spacing == FC_DUAL || spacing == FC_CHARCELL;
  found.pitch_and_family = fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_DONTCARE);
  return found;
}

FixedFontCatalog::FixedFontCatalog()
    : faces_{{"Courier New", ANSI_CHARSET, FIXED_PITCH | FF_MODERN},
             {"Lucida Console", ANSI_CHARSET, FIXED_PITCH | FF_MODERN},
             {"Arial", ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS},
             {"Times New Roman", ANSI_CHARSET, VARIABLE_PITCH | FF_ROMAN}} {}

std::optional<FontFace> FixedFontCatalog::Find(std::string_view face) {
  const std::string key = Lower(face);
  for (const FontFace& candidate : faces_) {
    if (Lower(candidate.face) == key) {
      FontFace found = candidate;
      found.face = std::string(face);
      return found;
    }
  }
  return std::nullopt;
}

}  // namespace zv::platform
