// The manual as Unix manual pages (man(7) macros, no preprocessor needed):
// each page takes some of the manual's topics and adds what a page for a
// Linux command has beside them (synopsis, environment, files).
#pragma once

#include <string>
#include <vector>

#include "document.h"

namespace helpwriter {

// A tagged entry of a page's own sections: a file, a variable, an exit status.
struct ManEntry {
    std::string term;  // shown in bold
    std::string text;
};

struct ManPage {
    std::string name;     // the command, e.g. "orvanta-remote"; the file is name.1
    std::string summary;  // the NAME line after "name \-"
    std::vector<std::vector<std::string>> synopsis;  // per line: the command's words; "<x>" is a placeholder
    std::string description;          // topic whose text is the DESCRIPTION
    std::vector<std::string> topics;  // further topics, one section each, in this order
    std::vector<ManEntry> exitStatus, environment, files;
    std::vector<std::string> seeAlso;  // "xdg-open(1)"
};

// The pages of the native Linux programs; dataDir is where the installed
// programs find their data (e.g. /usr/share/orvanta).
std::vector<ManPage> linuxManPages(const std::string& dataDir);

// The page in man(7) macros. A jump to a topic of another page of `all` names
// that page. Throws std::runtime_error for a topic the document lacks.
std::string writeMan(const Document& doc, const ManPage& page, const std::vector<ManPage>& all,
                     const std::string& version, const std::string& date);

// Text for a roff text line: backslashes as \e, non-ASCII as \[uXXXX],
// hyphens as minus signs (\-) where they stand alone or begin a word, and
// everywhere in literal text (commands, options, file names). Throws
// std::runtime_error on malformed UTF-8.
std::string escapeRoff(const std::string& text, bool literal);

}  // namespace helpwriter
