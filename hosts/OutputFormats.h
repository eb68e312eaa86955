// The output formats this machine's libsndfile can write, each under the
// names users give it (file extensions and --format names). Called on the
// program's single thread.

#pragma once

#include <string>
#include <vector>

struct OutputFormat
{
  std::string name;   // what --format takes and the extension that selects it
  int format = 0;     // libsndfile SF_FORMAT_* major | subtype
  // Whether samples beyond full scale survive; otherwise the format clips them.
  bool HoldsFloat() const;
};

// Whether this machine's libsndfile writes `format` (SF_FORMAT_* major |
// subtype); probed at two channels, as the host writes.
bool CanWriteFormat(int format);

// Every writable format, sorted by name. Built once.
const std::vector<OutputFormat>& WritableFormats();

// The format named `name` (an extension or a --format name, any letter
// case); null when there is none.
const OutputFormat* FindOutputFormat(const std::string& name);

// The format OUTPUT's extension selects. A path without an extension (and
// "-" for standard output) is written as WAV. `*extension` receives the
// extension, empty when there is none.
const OutputFormat* OutputFormatForPath(const std::string& path, std::string* extension);

// "aiff, au, caf, ..." for messages.
std::string OutputFormatNames();
