// The manual as one self-contained web page.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "document.h"

namespace helpwriter {

// One HTML page: inline styles, a table of contents, a section per topic,
// jumps as in-page links, pictures embedded as data URIs from images (file
// name to PNG bytes). Throws std::runtime_error for a picture not in images.
std::string writeHtml(const Document& doc, const std::map<std::string, std::vector<uint8_t>>& images);

// Text with &, <, > and " escaped.
std::string escapeHtml(const std::string& text);

}  // namespace helpwriter
