#include "platform/ui/cursor_file.h"

#include <QFile>
#include <QPixmap>

#include "platform/shell/errors.h"

namespace vts {

QCursor loadCursorFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) throw Error("Cannot open the cursor file " + path);
    const QByteArray bytes = f.readAll();
    QPixmap picture;
    if (bytes.size() < 22 || !picture.loadFromData(bytes, "ICO"))
        throw Error("The cursor file " + path + " is not a valid cursor picture");
    // Qt's ICO reader ignores the hotspot; it is in the first directory entry.
    auto u16 = [&](int off) {
        return static_cast<int>(static_cast<unsigned char>(bytes[off]) |
                                (static_cast<unsigned char>(bytes[off + 1]) << 8));
    };
    const bool isCursor = u16(2) == 2;
    return isCursor ? QCursor(picture, u16(10), u16(12)) : QCursor(picture);
}

}  // namespace vts
