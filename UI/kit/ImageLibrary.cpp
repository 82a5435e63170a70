#include "ImageLibrary.h"

#include "Theme.h"
#include "platform/Bundle.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace {

QMutex &cacheMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<QString, QPixmap> &cache()
{
    static QHash<QString, QPixmap> images;
    return images;
}

} // namespace

qreal ImageLibrary::screenRatio()
{
    qreal ratio = 1.0;
    for (const QScreen *screen : QGuiApplication::screens())
        ratio = qMax(ratio, screen->devicePixelRatio());
    return ratio;
}

QIcon ImageLibrary::applicationIcon()
{
    const QString path = filePath(QLatin1String(theme::kApplicationIconImage));
    if (path.isEmpty())
        return QIcon();
    QIcon icon;
    // Rendered here rather than left to an icon engine, which an installation may lack.
    QSvgRenderer renderer(path);
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        if (renderer.isValid()) {
            QPainter painter(&image);
            renderer.render(&painter);
        } else {
            image = QImage(path).scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QString ImageLibrary::filePath(const QString &name)
{
    if (name.isEmpty())
        return QString();
    const QString folder = Bundle::mainBundle().resourcePath() + QLatin1Char('/');
    for (const char *ending : {".svg", ".png"}) {
        const QString path = folder + name + QLatin1String(ending);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QSize ImageLibrary::sizeOfImage(const QString &name)
{
    const QString path = filePath(name);
    if (path.isEmpty())
        return QSize();
    if (path.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(path);
        return renderer.isValid() ? renderer.defaultSize() : QSize();
    }
    return QImageReader(path).size();
}

QPixmap ImageLibrary::imageNamed(const QString &name, qreal devicePixelRatio)
{
    const QString path = filePath(name);
    if (path.isEmpty())
        return QPixmap();
    const qreal ratio = devicePixelRatio > 0.0 ? qMax<qreal>(1.0, devicePixelRatio) : screenRatio();
    const QString key = path + QLatin1Char('@') + QString::number(ratio);
    {
        QMutexLocker lock(&cacheMutex());
        auto it = cache().constFind(key);
        if (it != cache().constEnd())
            return it.value();
    }
    QPixmap pixmap;
    if (path.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(path);
        if (renderer.isValid()) {
            const QSize size = renderer.defaultSize();
            QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            image.setDevicePixelRatio(ratio);
            pixmap = QPixmap::fromImage(image);
        }
    } else {
        pixmap.load(path);
    }
    QMutexLocker lock(&cacheMutex());
    cache().insert(key, pixmap);
    return pixmap;
}

void ImageLibrary::draw(QPainter *painter, const QString &name, const QRectF &target)
{
    const QString path = filePath(name);
    if (path.isEmpty() || !painter)
        return;
    if (path.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(path);
        renderer.render(painter, target);
        return;
    }
    painter->drawPixmap(target, imageNamed(name), QRectF());
}

void ImageLibrary::clearCache()
{
    QMutexLocker lock(&cacheMutex());
    cache().clear();
}
