#include "dxfin/dxf_fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

// A C library whose header does not say so.
extern "C" {
#include <hersheyfont.h>
}

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>

namespace lanterna::dxfin {

namespace {

// Hershey glyphs stand on a baseline at 0 with capitals 21 units high.
class HersheyFace : public Face {
 public:
  explicit HersheyFace(hershey_font* font) : font_(font) {}
  double CapHeight() const override { return 21; }
  double Descent() const override { return 7; }
  bool Filled() const override { return false; }
  double Advance(unsigned cp) const override { return Glyph(cp)->width; }
  const std::vector<Stroke>& Outline(unsigned cp) const override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = cache_.find(Plain(cp));
    if (found != cache_.end()) return found->second;
    std::vector<Stroke>& out = cache_[Plain(cp)];
    for (const hershey_path* p = Glyph(cp)->paths; p; p = p->next) {
      Stroke s;
      for (int i = 0; i < p->nverts; ++i)
        s.push_back({double(p->verts[i].x), double(p->verts[i].y)});
      out.push_back(std::move(s));
    }
    return out;
  }

 private:
  static unsigned Plain(unsigned cp) {
    // Latin-1 letters as their unaccented forms: the stroke font holds ASCII only.
    static const char kFolded[] =
        "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYPsaaaaaaaceeeeiiiidnooooo/ouuuuypy";
    if (cp >= 0xC0 && cp <= 0xFF) return static_cast<unsigned char>(kFolded[cp - 0xC0]);
    if (cp == 0xB0) return 'o';                  // degree
    if (cp == 0xB1) return '+';                  // plus-minus
    if (cp == 0x2300 || cp == 0xD8) return 'O';  // diameter
    if (cp == 0xA0) return ' ';
    return cp < 32 || cp > 126 ? '?' : cp;
  }
  const hershey_glyph* Glyph(unsigned cp) const {
    return hershey_font_glyph(font_, static_cast<int>(Plain(cp)));
  }

  hershey_font* font_;
  mutable std::mutex mutex_;
  mutable std::map<unsigned, std::vector<Stroke>> cache_;
};

// A TrueType face's outlines in font units, curves flattened.
class OutlineFace : public Face {
 public:
  explicit OutlineFace(FT_Face face) : face_(face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    cap_ = os2 && os2->sCapHeight > 0 ? os2->sCapHeight : 0.7 * face_->units_per_EM;
    descent_ = face_->descender < 0 ? -face_->descender : 0.2 * face_->units_per_EM;
  }
  double CapHeight() const override { return cap_; }
  double Descent() const override { return descent_; }
  bool Filled() const override { return true; }
  double Advance(unsigned cp) const override { return Load(cp).advance; }
  const std::vector<Stroke>& Outline(unsigned cp) const override { return Load(cp).rings; }

 private:
  struct Glyph {
    double advance = 0;
    std::vector<Stroke> rings;
  };

  const Glyph& Load(unsigned cp) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = cache_.find(cp);
    if (found != cache_.end()) return found->second;
    Glyph& g = cache_[cp];
    FT_UInt index = FT_Get_Char_Index(face_, cp);
    if (index == 0 && cp != ' ') index = FT_Get_Char_Index(face_, '?');
    if (FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return g;
    g.advance = static_cast<double>(face_->glyph->metrics.horiAdvance);
    if (face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return g;
    FT_Outline_Funcs funcs = {};
    funcs.move_to = [](const FT_Vector* to, void* user) {
      auto* r = static_cast<std::vector<Stroke>*>(user);
      r->push_back({{double(to->x), double(to->y)}});
      return 0;
    };
    funcs.line_to = [](const FT_Vector* to, void* user) {
      auto* r = static_cast<std::vector<Stroke>*>(user);
      if (!r->empty()) r->back().push_back({double(to->x), double(to->y)});
      return 0;
    };
    funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
      auto* r = static_cast<std::vector<Stroke>*>(user);
      if (r->empty() || r->back().empty()) return 0;
      const auto p = r->back().back();
      for (int i = 1; i <= 6; ++i) {
        const double t = i / 6.0, u = 1 - t;
        r->back().push_back({u * u * p[0] + 2 * u * t * c->x + t * t * to->x,
                             u * u * p[1] + 2 * u * t * c->y + t * t * to->y});
      }
      return 0;
    };
    funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
      auto* r = static_cast<std::vector<Stroke>*>(user);
      if (r->empty() || r->back().empty()) return 0;
      const auto p = r->back().back();
      for (int i = 1; i <= 8; ++i) {
        const double t = i / 8.0, u = 1 - t;
        r->back().push_back(
            {u * u * u * p[0] + 3 * u * u * t * c1->x + 3 * u * t * t * c2->x + t * t * t * to->x,
             u * u * u * p[1] + 3 * u * u * t * c1->y + 3 * u * t * t * c2->y + t * t * t * to->y});
      }
      return 0;
    };
    FT_Outline_Decompose(&face_->glyph->outline, &funcs, &g.rings);
    return g;
  }

  FT_Face face_;
  double cap_, descent_;
  mutable std::mutex mutex_;
  mutable std::map<unsigned, Glyph> cache_;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string MatchFile(const std::string& family, bool exact);

// Letters and digits only, lower-cased: "DejaVu Sans" and "dejavusans" are one family.
std::string Folded(const std::string& s) {
  std::string out;
  for (char c : s)
    if (std::isalnum(static_cast<unsigned char>(c)))
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The file of a family fontconfig has; DejaVu Sans's when it offers only a stand-in.
std::string Match(const std::string& family) {
  std::string file = MatchFile(family, true);
  return file.empty() ? MatchFile("DejaVu Sans", false) : file;
}

// The file fontconfig matches to a family; with exact, only a font of that family.
std::string MatchFile(const std::string& family, bool exact) {
  if (!FcInit()) return "";
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  if (!pattern) return "";
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  FcChar8* found = nullptr;
  const bool same =
      !exact || (match && FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
                 Folded(reinterpret_cast<const char*>(found)) == Folded(family));
  if (match && same && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
    file = reinterpret_cast<const char*>(path);
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

const Face* LoadOutlineFace(const std::string& family) {
  static FT_Library library = nullptr;
  if (!library && FT_Init_FreeType(&library) != 0) return nullptr;
  const std::string file = Match(family);
  FT_Face face = nullptr;
  if (file.empty() || FT_New_Face(library, file.c_str(), 0, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    return nullptr;
  }
  return new OutlineFace(face);
}

}  // namespace

const Face* FaceFor(const std::string& fontFile) {
  static std::mutex mutex;
  static std::map<std::string, const Face*> faces;
  static const Face* strokes = [] {
    hershey_font* f = hershey_font_load("rowmans");  // Roman simplex, like txt and simplex
    return f ? static_cast<const Face*>(new HersheyFace(f)) : nullptr;
  }();
  std::string name = Lower(fontFile);
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  const size_t dot = name.rfind('.');
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (ext != "ttf" && ext != "ttc" && ext != "otf") return strokes;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = faces.find(name);
  if (found == faces.end()) found = faces.emplace(name, LoadOutlineFace(name.substr(0, dot))).first;
  return found->second ? found->second : strokes;
}

}  // namespace lanterna::dxfin
