// Where the PDF printer (cups-pdf) puts the files it makes: the "Out" line of its configuration,
// with ${HOME} and ${USER} standing for the user's.
#pragma once
#include <string>

namespace vts {

inline constexpr const char* kCupsPdfConfiguration = "/etc/cups/cups-pdf.conf";

// The folder; cups-pdf's own default (${HOME}/PDF) when the configuration names none or cannot
// be read.
std::string CupsPdfOutFolder(const std::string& configuration = kCupsPdfConfiguration);

}  // namespace vts
