// The program icon every page carries, drawn at run time so no image file is needed.
#pragma once
#include <QIcon>

namespace vts {
QIcon programIcon();
}
