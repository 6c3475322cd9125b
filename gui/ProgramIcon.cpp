#include "gui/ProgramIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {
const QString IconResource = QStringLiteral(":/tobrik.svg");
// From the title bar's to a large taskbar's or a task switcher's.
const int IconSizesPx[] = {16, 24, 32, 48, 64, 128, 256};
} // namespace

// Drawn here rather than left to QIcon, which reads an SVG only through an image plugin that a
// machine may lack; then every window would show the desktop's generic icon.
QIcon ProgramIcon()
{
    QSvgRenderer renderer(IconResource);
    QIcon icon;
    for (const int sizePx : IconSizesPx) {
        QImage image(sizePx, sizePx, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
