// Loads a Windows .CUR file as a Qt cursor, with the hotspot the file stores.
#pragma once
#include <QCursor>
#include <optional>
#include <string>

namespace vts {

// Throws vts::Error when the file cannot be read as a cursor.
QCursor loadCursorFile(const std::string& path);

}  // namespace vts
