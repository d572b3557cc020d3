// The program icon every page carries, drawn at run time so no image file is needed.
#pragma once
#include <QIcon>
#include <QImage>

namespace vts {
QIcon programIcon();
// The same drawing at any size, without a display (for the desktop's icon files).
QImage programIconImage(int size);
}  // namespace vts
