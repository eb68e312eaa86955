#include "coretext/CTFontCatalog.h"

#include <fontconfig/fontconfig.h>
#include <string.h>
#include <strings.h>

#include <cstdlib>

namespace
{
bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool IsStyleWord(const std::string& w, bool* bold, bool* italic)
{
  static const char* const kPlain[] = {"Regular", "Roman", "Book", "Plain", "Normal", "Medium"};
  if (SameName(w, "Bold"))
  {
    *bold = true;
    return true;
  }
  if (SameName(w, "Italic") || SameName(w, "Oblique"))
  {
    *italic = true;
    return true;
  }
  for (const char* p : kPlain)
    if (SameName(w, p)) return true;
  return false;
}

void ReadStyle(std::string style, bool* bold, bool* italic)
{
  for (const char* k : {"Bold", "bold", "BOLD"})
    if (style.find(k) != std::string::npos) *bold = true;
  for (const char* k : {"Italic", "italic", "Oblique", "oblique"})
    if (style.find(k) != std::string::npos) *italic = true;
}

std::string StripSuffix(std::string s, const char* suffix)
{
  const size_t n = strlen(suffix);
  if (s.size() > n && s.compare(s.size() - n, n, suffix) == 0) s.resize(s.size() - n);
  return s;
}

// "Monaco Bold Italic" -> family "Monaco", bold, italic; "Arial-BoldMT" ->
// family "Arial", bold.
void SplitName(const std::string& name, std::string* family, bool* bold, bool* italic)
{
  *bold = *italic = false;
  if (name.find(' ') == std::string::npos && name.find('-') != std::string::npos)
  {
    const size_t dash = name.find('-');
    *family = StripSuffix(StripSuffix(name.substr(0, dash), "PSMT"), "MT");
    ReadStyle(name.substr(dash + 1), bold, italic);
    return;
  }
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < name.size())
  {
    const size_t sp = name.find(' ', pos);
    const std::string w = name.substr(pos, sp == std::string::npos ? std::string::npos : sp - pos);
    if (!w.empty()) words.push_back(w);
    if (sp == std::string::npos) break;
    pos = sp + 1;
  }
  while (words.size() > 1 && IsStyleWord(words.back(), bold, italic)) words.pop_back();
  family->clear();
  for (size_t i = 0; i < words.size(); ++i)
  {
    if (i) *family += ' ';
    *family += words[i];
  }
  *family = StripSuffix(StripSuffix(*family, "PSMT"), "MT");
}

std::string GetString(FcPattern* p, const char* object)
{
  FcChar8* s = nullptr;
  if (FcPatternGetString(p, object, 0, &s) == FcResultMatch && s) return (const char*)s;
  return std::string();
}

int GetInt(FcPattern* p, const char* object, int fallback)
{
  int v = fallback;
  if (FcPatternGetInteger(p, object, 0, &v) != FcResultMatch) return fallback;
  return v;
}
} // namespace

std::string CTFontCatalog::MapFamily(const std::string& family)
{
  static const char* const kMap[][2] = {
      {"Monaco", "DejaVu Sans Mono"},     {"Menlo", "DejaVu Sans Mono"},
      {"Andale Mono", "DejaVu Sans Mono"}, {"SF Mono", "DejaVu Sans Mono"},
      {"Lucida Grande", "DejaVu Sans"},   {"Geneva", "DejaVu Sans"},
      {"Verdana", "DejaVu Sans"},         {"Tahoma", "DejaVu Sans"},
      {".AppleSystemUIFont", "DejaVu Sans"}, {"System Font", "DejaVu Sans"},
      {"Arial", "Liberation Sans"},       {"Helvetica", "Liberation Sans"},
      {"Helvetica Neue", "Liberation Sans"}, {"Arial Unicode MS", "Liberation Sans"},
      {"Courier", "Liberation Mono"},     {"Courier New", "Liberation Mono"},
      {"Times", "Liberation Serif"},      {"Times New Roman", "Liberation Serif"},
      {"Times Roman", "Liberation Serif"}, {"Georgia", "DejaVu Serif"},
  };
  for (const auto& m : kMap)
    if (SameName(family, m[0])) return m[1];
  return family;
}

const CTFontCatalog& CTFontCatalog::Get()
{
  static const CTFontCatalog* catalog = new CTFontCatalog; // lives until exit: fonts may outlast statics
  return *catalog;
}

CTFontCatalog::CTFontCatalog()
{
  if (!FcInit()) return;
  FcPattern* pat = FcPatternCreate();
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FULLNAME, FC_POSTSCRIPT_NAME, FC_FILE, FC_INDEX,
                                     FC_WEIGHT, FC_SLANT, FC_WIDTH, FC_SPACING, FC_OUTLINE, nullptr);
  FcFontSet* set = FcFontList(nullptr, pat, os);
  if (set)
  {
    for (int i = 0; i < set->nfont; ++i)
    {
      FcPattern* p = set->fonts[i];
      FcBool outline = FcTrue;
      FcPatternGetBool(p, FC_OUTLINE, 0, &outline);
      if (!outline) continue;
      CTFaceInfo f;
      f.family = GetString(p, FC_FAMILY);
      f.style = GetString(p, FC_STYLE);
      f.fullName = GetString(p, FC_FULLNAME);
      f.postScriptName = GetString(p, FC_POSTSCRIPT_NAME);
      f.file = GetString(p, FC_FILE);
      f.index = GetInt(p, FC_INDEX, 0);
      const int weight = GetInt(p, FC_WEIGHT, FC_WEIGHT_REGULAR);
      const int width = GetInt(p, FC_WIDTH, FC_WIDTH_NORMAL);
      f.bold = weight >= FC_WEIGHT_DEMIBOLD;
      f.italic = GetInt(p, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
      f.mono = GetInt(p, FC_SPACING, FC_PROPORTIONAL) >= FC_MONO;
      if (f.file.empty() || f.family.empty()) continue;
      // Light and condensed cuts never stand for a plain or bold face.
      if (width != FC_WIDTH_NORMAL || (weight < FC_WEIGHT_BOOK)) f.style = "~" + f.style;
      if (f.fullName.empty()) f.fullName = f.family + " " + f.style;
      mFaces.push_back(f);
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
}

const CTFaceInfo* CTFontCatalog::FindFamilyStyle(const std::string& family, bool bold, bool italic) const
{
  const CTFaceInfo* best = nullptr;
  for (const CTFaceInfo& f : mFaces)
  {
    if (!SameName(f.family, family) || f.bold != bold || f.italic != italic) continue;
    if (f.style.compare(0, 1, "~") == 0) continue;
    if (!best) best = &f;
  }
  return best;
}

const CTFaceInfo* CTFontCatalog::FindExact(const std::string& name) const
{
  if (name.empty()) return nullptr;
  for (const CTFaceInfo& f : mFaces)
    if (!f.postScriptName.empty() && SameName(f.postScriptName, name)) return &f;
  for (const CTFaceInfo& f : mFaces)
    if (SameName(f.fullName, name)) return &f;
  std::string family;
  bool bold, italic;
  SplitName(name, &family, &bold, &italic);
  if (const CTFaceInfo* f = FindFamilyStyle(MapFamily(family), bold, italic)) return f;
  return FindFamilyStyle(family, bold, italic);
}

const CTFaceInfo* CTFontCatalog::SystemFace(bool bold) const
{
  if (const CTFaceInfo* f = FindFamilyStyle("DejaVu Sans", bold, false)) return f;
  if (const CTFaceInfo* f = FindFamilyStyle("Liberation Sans", bold, false)) return f;
  return mFaces.empty() ? nullptr : &mFaces.front();
}

const CTFaceInfo* CTFontCatalog::FindNearest(const std::string& name) const
{
  if (const CTFaceInfo* f = FindExact(name)) return f;
  std::string family;
  bool bold, italic;
  SplitName(name, &family, &bold, &italic);
  const std::string mapped = MapFamily(family);
  // The installed family with the wanted style missing: keep the family.
  for (bool b : {bold, false})
    for (bool i : {italic, false})
      if (const CTFaceInfo* f = FindFamilyStyle(mapped, b, i)) return f;
  FcPattern* pat = FcPatternCreate();
  if (!family.empty()) FcPatternAddString(pat, FC_FAMILY, (const FcChar8*)mapped.c_str());
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  const CTFaceInfo* found = nullptr;
  if (match)
  {
    const std::string file = GetString(match, FC_FILE);
    const int index = GetInt(match, FC_INDEX, 0);
    for (const CTFaceInfo& f : mFaces)
      if (f.file == file && f.index == index) found = &f;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  return found ? found : SystemFace(bold);
}
