#pragma once

// The installed font faces, read once from fontconfig, and the mapping of
// font names (PostScript, full or family names with style words, the usual
// Mac face names) onto them.

#include <string>
#include <vector>

struct CTFaceInfo
{
  std::string family;
  std::string style;
  std::string fullName;
  std::string postScriptName;
  std::string file;
  int index = 0;
  bool bold = false;
  bool italic = false;
  bool mono = false;
};

class CTFontCatalog
{
public:
  // The process-wide catalogue (built on first use; thread-safe).
  static const CTFontCatalog& Get();

  // The face a name denotes exactly, or null.
  const CTFaceInfo* FindExact(const std::string& name) const;
  // The face a name denotes, or the nearest installed one; null only when
  // no font is installed at all.
  const CTFaceInfo* FindNearest(const std::string& name) const;
  // The face the user-interface fonts use.
  const CTFaceInfo* SystemFace(bool bold) const;
  const std::vector<CTFaceInfo>& Faces() const { return mFaces; }

  // Family name substitutions for the usual Mac faces ("Monaco" -> a
  // monospaced face); other names come back unchanged.
  static std::string MapFamily(const std::string& family);

private:
  CTFontCatalog();
  const CTFaceInfo* FindFamilyStyle(const std::string& family, bool bold, bool italic) const;

  std::vector<CTFaceInfo> mFaces;
};
