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

class OutlineFace;
const OutlineFace* FaceWith(unsigned cp);
Glyph Borrowed(unsigned cp, double capHeight);

// Hershey glyphs stand on a baseline at 0 with capitals 21 units high.
class HersheyFace : public Face {
 public:
  explicit HersheyFace(hershey_font* font) : font_(font) {}
  double CapHeight() const override { return 21; }
  double Descent() const override { return 7; }
  const Glyph& GlyphOf(unsigned cp) const override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = cache_.find(cp);
    if (found != cache_.end()) return found->second;
    Glyph& g = cache_[cp];
    const unsigned plain = Plain(cp);
    // What the stroke font lacks is borrowed, filled.
    if (plain == '?' && cp != '?') {
      g = Borrowed(cp, CapHeight());
      if (!g.paths.empty() || g.advance > 0) return g;
    }
    const hershey_glyph* h = hershey_font_glyph(font_, static_cast<int>(plain));
    g.advance = h->width;
    for (const hershey_path* p = h->paths; p; p = p->next) {
      Stroke s;
      for (int i = 0; i < p->nverts; ++i)
        s.push_back({double(p->verts[i].x), double(p->verts[i].y)});
      g.paths.push_back(std::move(s));
    }
    return g;
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

  hershey_font* font_;
  mutable std::mutex mutex_;
  mutable std::map<unsigned, Glyph> cache_;
};

// A TrueType face's outlines in font units, curves flattened.
class OutlineFace : public Face {
 public:
  // A text's height is its capitals' height: the top of X as drawn, which a font's own figure
  // (OS/2 sCapHeight, missing from older tables) does not always match; its bottom is where p
  // ends, not the font's line descender.
  explicit OutlineFace(FT_Face face) : face_(face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    cap_ = os2 && os2->version >= 2 && os2->sCapHeight > 0 ? os2->sCapHeight
                                                           : 0.7 * face_->units_per_EM;
    descent_ = face_->descender < 0 ? -face_->descender : 0.2 * face_->units_per_EM;
    double top = 0, bottom = 0;
    if (Extent('X', &top, &bottom) && top > 0) cap_ = top;
    if (Extent('p', &top, &bottom) && bottom < 0) descent_ = -bottom;
  }
  double CapHeight() const override { return cap_; }
  double Descent() const override { return descent_; }
  bool Has(unsigned cp) const { return FT_Get_Char_Index(face_, cp) != 0; }
  const Glyph& GlyphOf(unsigned cp) const override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto found = cache_.find(cp);
      if (found != cache_.end()) return found->second;
    }
    // Borrowed outside the lock: the lender may be this face's own kind.
    Glyph borrowed;
    const bool lacks = !Has(cp) && cp > 127;
    if (lacks) borrowed = Borrowed(cp, cap_);
    std::lock_guard<std::mutex> lock(mutex_);
    Glyph& g = cache_[cp];
    if (lacks && (!borrowed.paths.empty() || borrowed.advance > 0)) return g = borrowed;
    g.filled = true;
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
    FT_Outline_Decompose(&face_->glyph->outline, &funcs, &g.paths);
    return g;
  }

 private:
  // The top and bottom of a character's outline in font units; false when the font lacks it.
  bool Extent(unsigned cp, double* top, double* bottom) const {
    const FT_UInt index = FT_Get_Char_Index(face_, cp);
    if (index == 0 || FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0)
      return false;
    const FT_Glyph_Metrics& m = face_->glyph->metrics;
    *top = static_cast<double>(m.horiBearingY);
    *bottom = static_cast<double>(m.horiBearingY - m.height);
    return m.height > 0;
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

// The installed font fontconfig likes best for a pattern (filled in with its defaults), or null.
FcPattern* BestMatch(FcPattern* pattern) {
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  return FcFontMatch(nullptr, pattern, &result);
}

// A font with the character, as fontconfig finds one.
std::string FileWith(unsigned cp) {
  if (!FcInit()) return "";
  FcPattern* pattern = FcPatternCreate();
  FcCharSet* set = FcCharSetCreate();
  FcCharSetAddChar(set, cp);
  FcPatternAddCharSet(pattern, FC_CHARSET, set);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcPattern* match = BestMatch(pattern);
  std::string file;
  FcChar8* path = nullptr;
  FcCharSet* has = nullptr;
  if (match && FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
      FcCharSetHasChar(has, cp) && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
    file = reinterpret_cast<const char*>(path);
  if (match) FcPatternDestroy(match);
  FcCharSetDestroy(set);
  FcPatternDestroy(pattern);
  return file;
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
  FcPattern* match = BestMatch(pattern);
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

// Faces stay loaded for the program's life; the caches are never destroyed, so that what they
// hold is still theirs at exit.
const OutlineFace* LoadFile(const std::string& file) {
  static std::mutex mutex;
  static auto& loaded = *new std::map<std::string, const OutlineFace*>;
  static FT_Library library = nullptr;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = loaded.find(file);
  if (found != loaded.end()) return found->second;
  const OutlineFace*& out = loaded[file];
  if (!library && FT_Init_FreeType(&library) != 0) return nullptr;
  FT_Face face = nullptr;
  if (file.empty() || FT_New_Face(library, file.c_str(), 0, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    return nullptr;
  }
  return out = new OutlineFace(face);
}

const OutlineFace* FaceWith(unsigned cp) {
  static std::mutex mutex;
  static auto& files = *new std::map<unsigned, std::string>;  // per character: fontconfig is slow
  std::string file;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = files.find(cp);
    if (found == files.end()) found = files.emplace(cp, FileWith(cp)).first;
    file = found->second;
  }
  if (file.empty()) return nullptr;
  const OutlineFace* f = LoadFile(file);
  return f && f->Has(cp) ? f : nullptr;
}

// A character from a font that has it, scaled to a capital height; empty when none has it.
Glyph Borrowed(unsigned cp, double capHeight) {
  const OutlineFace* lender = FaceWith(cp);
  if (!lender) return {};
  Glyph g = lender->GlyphOf(cp);
  const double k = capHeight / lender->CapHeight();
  g.advance *= k;
  for (Stroke& s : g.paths)
    for (auto& v : s) v[0] *= k, v[1] *= k;
  return g;
}

}  // namespace

const Face* FaceFor(const std::string& fontFile) {
  static std::mutex mutex;
  static auto& faces = *new std::map<std::string, const Face*>;
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
  if (found == faces.end()) found = faces.emplace(name, LoadFile(Match(name.substr(0, dot)))).first;
  return found->second ? found->second : strokes;
}

}  // namespace lanterna::dxfin
