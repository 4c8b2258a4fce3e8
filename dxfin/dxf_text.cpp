#include "dxfin/dxf_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

namespace lanterna::dxfin {

namespace {

// MTEXT lines are 5/3 of the text height apart at a line spacing factor of 1.
constexpr double kLinePitch = 5.0 / 3;

struct Char {
  unsigned cp;
  double height;  // relative to the text's
  double width;   // width factor
};
using Line = std::vector<Char>;

// Marks the first character of a line an MTEXT column break (\N) starts.
constexpr unsigned kColumnBreak = 0xFFFFFFFF;

double Advance(const Face& f, const Char& c) {
  if (c.cp == kColumnBreak) return 0;
  return f.GlyphOf(c.cp).advance * c.height * c.width;
}

double Width(const Face& f, const Line& line) {
  double w = 0;
  for (const Char& c : line) w += Advance(f, c);
  return w;
}

// The next code point of UTF-8 text (a stray byte stands for itself).
unsigned NextCodePoint(const std::string& s, size_t& i) {
  const unsigned char b = static_cast<unsigned char>(s[i++]);
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  unsigned cp = extra == 3 ? b & 7 : extra == 2 ? b & 15 : extra == 1 ? b & 31 : b;
  size_t j = i;
  for (; extra > 0 && j < s.size(); --extra, ++j) {
    const unsigned char c = static_cast<unsigned char>(s[j]);
    if ((c & 0xC0) != 0x80) return b;
    cp = (cp << 6) | (c & 63);
  }
  if (extra > 0) return b;
  i = j;
  return cp;
}

// %%d, %%p and %%c (degree, plus-minus, diameter); %%u and %%o (under- and overline) and
// %%nnn (a character number) as that character.
bool PercentCode(const std::string& s, size_t& i, unsigned* cp) {
  if (s.compare(i, 2, "%%") != 0 || i + 2 >= s.size()) return false;
  const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + 2])));
  if (std::isdigit(static_cast<unsigned char>(c))) {
    size_t end = i + 2;
    unsigned n = 0;
    while (end < s.size() && end < i + 5 && std::isdigit(static_cast<unsigned char>(s[end])))
      n = n * 10 + static_cast<unsigned>(s[end++] - '0');
    *cp = n;
    i = end;
    return true;
  }
  i += 3;
  *cp = c == 'd' ? 0xB0 : c == 'p' ? 0xB1 : c == 'c' ? 0x2300 : c == '%' ? '%' : 0;
  return true;
}

std::vector<Line> PlainText(const std::string& s, double widthFactor) {
  Line line;
  for (size_t i = 0; i < s.size();) {
    unsigned cp;
    if (!PercentCode(s, i, &cp)) cp = NextCodePoint(s, i);
    if (cp != 0) line.push_back({cp, 1, widthFactor});
  }
  return {line};
}

// MTEXT with its inline codes: \P and \X line breaks, \H heights, \W width factors, \S
// stacked fractions (as a/b), \~ and escaped characters; formatting it cannot show (fonts,
// colours, alignment, under- and overlines, tracking) is left out.
std::vector<Line> MTextLines(const std::string& s, double widthFactor) {
  std::vector<Line> lines(1);
  std::vector<std::pair<double, double>> saved;  // height and width of each open group
  double height = 1, width = widthFactor;
  auto put = [&](unsigned cp) { lines.back().push_back({cp, height, width}); };
  auto value = [&](size_t& i) {  // a code's value, up to its ';'
    const size_t end = s.find(';', i);
    std::string v = s.substr(i, end == std::string::npos ? std::string::npos : end - i);
    i = end == std::string::npos ? s.size() : end + 1;
    return v;
  };
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '{') {
      saved.push_back({height, width});
      ++i;
      continue;
    }
    if (c == '}') {
      if (!saved.empty()) std::tie(height, width) = saved.back(), saved.pop_back();
      ++i;
      continue;
    }
    if (c == '^' && i + 1 < s.size()) {
      const char n = s[i + 1];
      i += 2;
      if (n == 'J')
        lines.emplace_back();
      else if (n == 'I')
        put(' ');
      else
        put('^'), put(static_cast<unsigned char>(n));
      continue;
    }
    if (c != '\\' || i + 1 >= s.size()) {
      unsigned cp;
      if (!PercentCode(s, i, &cp)) cp = NextCodePoint(s, i);
      if (cp != 0) put(cp);
      continue;
    }
    const char code = s[i + 1];
    i += 2;
    switch (code) {
      case 'P':
      case 'X':
        lines.emplace_back();
        break;
      case 'N':
        lines.emplace_back();
        lines.back().push_back({kColumnBreak, 1, 1});
        break;
      case '~':
        put(' ');
        break;
      case '\\':
      case '{':
      case '}':
        put(static_cast<unsigned char>(code));
        break;
      case 'H': {
        const std::string v = value(i);
        const double n = std::strtod(v.c_str(), nullptr);
        if (n > 0 && n < 100) height = v.find_first_of("xX") != std::string::npos ? height * n : n;
        break;
      }
      case 'W': {
        const double n = std::strtod(value(i).c_str(), nullptr);
        if (n > 0.01 && n < 100) width = n;
        break;
      }
      case 'S': {
        // A stacked fraction: top and bottom around ^, / or #.
        for (char ch : value(i)) put(ch == '^' || ch == '#' ? '/' : static_cast<unsigned char>(ch));
        break;
      }
      case 'U':
        if (i < s.size() && s[i] == '+') {
          const unsigned cp =
              static_cast<unsigned>(std::strtoul(s.substr(i + 1, 4).c_str(), nullptr, 16));
          i = std::min(s.size(), i + 5);
          put(cp);
        }
        break;
      case 'L':
      case 'l':
      case 'O':
      case 'o':
      case 'K':
      case 'k':
        break;
      default:
        // \A, \C, \c, \F, \f, \Q, \T, \p and others carry a value up to ';'.
        value(i);
    }
  }
  return lines;
}

// Lines wrapped at spaces to fit the width.
std::vector<Line> Wrapped(const Face& f, const std::vector<Line>& lines, double width) {
  std::vector<Line> out;
  for (const Line& line : lines) {
    Line current;
    double w = 0;
    size_t lastSpace = std::string::npos;
    for (const Char& c : line) {
      current.push_back(c);
      w += Advance(f, c);
      if (c.cp == ' ') lastSpace = current.size() - 1;
      if (w > width && lastSpace != std::string::npos && lastSpace > 0) {
        out.push_back(Line(current.begin(), current.begin() + static_cast<long>(lastSpace)));
        current.erase(current.begin(), current.begin() + static_cast<long>(lastSpace) + 1);
        w = Width(f, current);
        lastSpace = std::string::npos;
      }
    }
    out.push_back(current);
  }
  return out;
}

// The glyphs of one line from (x, y) in font units, mapped by map.
template <typename Map>
void LineGlyphs(const Face& f, const Line& line, double x, double y, const Map& map,
                TextPicture* out) {
  for (const Char& c : line) {
    if (c.cp == kColumnBreak) continue;
    std::vector<Stroke> glyph;
    const Glyph& shape = f.GlyphOf(c.cp);
    for (const Stroke& path : shape.paths) {
      Stroke s;
      for (const auto& v : path)
        s.push_back(map(x + v[0] * c.height * c.width, y + v[1] * c.height));
      glyph.push_back(std::move(s));
    }
    if (shape.filled) {
      if (!glyph.empty()) out->glyphs.push_back(std::move(glyph));
    } else {
      for (Stroke& s : glyph) out->strokes.push_back(std::move(s));
    }
    x += Advance(f, c);
  }
}

// MTEXT in columns: each column filled to its height (the last one's for those past the list)
// or to a column break, the next one a width and gutter along. The columns together hang from
// the attachment point as one box, and each line sits in its column as the attachment says.
bool Columns(const Face& f, const Text& t, std::vector<Line> lines, double scale, double shear,
             const Vertex& origin, TextPicture* out) {
  lines = Wrapped(f, lines, t.columnWidth / scale);
  const double pitch = f.CapHeight() * kLinePitch * t.lineSpacing;
  const double r = t.rotation * M_PI / 180, c = std::cos(r), s = std::sin(r);
  std::vector<std::pair<int, int>> places;  // each line's column and row
  int column = 0, row = 0, rows = 0;
  for (const Line& line : lines) {
    const double height =
        t.columnHeights.empty()
            ? 0
            : t.columnHeights[std::min(static_cast<size_t>(column), t.columnHeights.size() - 1)] /
                  scale;
    const bool broken = !line.empty() && line[0].cp == kColumnBreak;
    const bool full = height > 0 && f.CapHeight() + pitch * row > height;
    if (row > 0 && (broken || full)) ++column, row = 0;
    places.push_back({column, row++});
    rows = std::max(rows, row);
  }
  const int across = (t.align - 1) % 3, down = (t.align - 1) / 3;
  const double width = ((column + 1) * t.columnWidth + column * t.gutter) / scale;
  const double height = f.CapHeight() + pitch * (rows - 1);
  for (size_t i = 0; i < lines.size(); ++i) {
    const double x0 = places[i].first * (t.columnWidth + t.gutter) / scale - width * across / 2 +
                      (t.columnWidth / scale - Width(f, lines[i])) * across / 2;
    LineGlyphs(
        f, lines[i], x0, height * down / 2 - f.CapHeight() - pitch * places[i].second,
        [&](double x, double y) {
          x = (x + y * shear) * scale, y *= scale;
          return std::array<double, 2>{origin.x + x * c - y * s, origin.y + x * s + y * c};
        },
        out);
  }
  return true;
}

}  // namespace

bool LayOutText(const Entity& e, const Face* face, TextPicture* out) {
  if (!face || e.points.empty()) return false;
  const Face& f = *face;
  const double kCapHeight = f.CapHeight(), kDescent = f.Descent();
  const Text& t = e.text;
  const double wf = t.widthFactor > 0.01 && t.widthFactor < 100 ? t.widthFactor : 1;
  const double shear = std::tan(std::clamp(t.oblique, -85.0, 85.0) * M_PI / 180);
  double scale = t.height / kCapHeight, xScale = 1;
  double rotation = t.rotation * M_PI / 180;
  double ox = e.points[0].x, oy = e.points[0].y;  // where the font's (0, 0) lands
  std::vector<Line> lines = t.mtext ? MTextLines(t.string, wf) : PlainText(t.string, wf);
  if (!(scale > 0) || !std::isfinite(scale)) return true;
  std::vector<double> dx(lines.size(), 0);  // each line's start, in font units
  double dy = 0;
  if (t.mtext && t.columns > 0) return Columns(f, t, lines, scale, shear, e.points[0], out);
  if (t.mtext) {
    if (t.boxWidth > 0) lines = Wrapped(f, lines, t.boxWidth / scale);
    dx.assign(lines.size(), 0);
    const double pitch = kCapHeight * kLinePitch * t.lineSpacing;
    const double total = kCapHeight + pitch * static_cast<double>(lines.size() - 1);
    const int col = (t.align - 1) % 3, row = (t.align - 1) / 3;
    for (size_t i = 0; i < lines.size(); ++i) dx[i] = -Width(f, lines[i]) * col / 2;
    dy = -kCapHeight + total * row / 2;
    for (size_t i = 0; i < lines.size(); ++i) {
      const double c = std::cos(rotation), s = std::sin(rotation);
      LineGlyphs(
          f, lines[i], dx[i], dy - pitch * static_cast<double>(i),
          [&](double x, double y) {
            x = (x + y * shear) * scale, y *= scale;
            return std::array<double, 2>{ox + x * c - y * s, oy + x * s + y * c};
          },
          out);
    }
    return true;
  }
  const double width = Width(f, lines[0]);
  int align = t.align;
  if ((align == 3 || align == 5) && e.points.size() > 1) {
    // Aligned and fit texts run from the first point to the second: aligned ones scale their
    // height with their width, fit ones keep it.
    const double lx = e.points[1].x - ox, ly = e.points[1].y - oy;
    const double length = std::hypot(lx, ly);
    if (length > 0 && width > 0) {
      rotation = std::atan2(ly, lx);
      xScale = length / (width * scale);
      if (align == 3) scale *= xScale, xScale = 1;
    }
  } else {
    if (t.aligned && e.points.size() > 1) ox = e.points[1].x, oy = e.points[1].y;
    // Middle: centred along, and across halfway from the bottom of the descenders to the top
    // of the capitals (middle centre takes half the capitals only).
    if (align == 4) align = 1, dy = -(kCapHeight - kDescent) / 2;
    dx[0] = align == 1 ? -width / 2 : align == 2 ? -width : 0;
    if (t.align != 4)
      dy = t.valign == 1   ? kDescent
           : t.valign == 2 ? -kCapHeight / 2
           : t.valign == 3 ? -kCapHeight
                           : 0;
  }
  const double c = std::cos(rotation), s = std::sin(rotation);
  LineGlyphs(
      f, lines[0], dx[0], dy,
      [&](double x, double y) {
        x = (x + y * shear) * scale * xScale, y *= scale;
        if (t.backward) x = -x;
        if (t.upsideDown) y = -y;
        return std::array<double, 2>{ox + x * c - y * s, oy + x * s + y * c};
      },
      out);
  return true;
}

}  // namespace lanterna::dxfin
