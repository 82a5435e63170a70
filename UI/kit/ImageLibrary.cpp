#include "ImageLibrary.h"

#include "StartUpQueue.h"

#include "Theme.h"
#include "platform/Bundle.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QThread>

#include <chrono>
#include <future>
#include <memory>
#include <system_error>
#include <vector>

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

// Everything below is read from disk once per file: windows ask for the same few images again
// and again (each button for its four states, each image view at every repaint).
QHash<QString, QString> &paths()
{
    static QHash<QString, QString> found;
    return found;
}

QHash<QString, QSize> &sizes()
{
    static QHash<QString, QSize> known;
    return known;
}

// Parsed documents, drawn from on the thread that paints; the mutex is held while one draws.
QHash<QString, std::shared_ptr<QSvgRenderer>> &renderers()
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> parsed;
    return parsed;
}

// Images drawn ahead on the start's side thread, by cache key; each is ready once drawn there.
QHash<QString, std::shared_future<QImage>> &preparedImages()
{
    static QHash<QString, std::shared_future<QImage>> prepared;
    return prepared;
}

std::future<void> &preparing()
{
    static std::future<void> drawing;
    return drawing;
}

QString cacheKey(const QString &path, qreal ratio)
{
    return path + QLatin1Char('@') + QString::number(ratio);
}

// The image of a parsed document at its own size for the ratio: the one picture both the ahead
// drawing and a drawing on request make.
QImage renderedAt(QSvgRenderer &renderer, qreal ratio)
{
    QImage image(renderer.defaultSize() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(ratio);
    return image;
}

// The application's icon at the sizes desktops ask for, drawn on the start's side thread.
struct IconImages
{
    QString path;
    std::shared_future<QList<QImage>> images;
};

IconImages &applicationIconImages()
{
    static IconImages icon;
    return icon;
}

QList<QImage> drawIcon(const QString &path)
{
    QList<QImage> images;
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
        images.append(image);
    }
    return images;
}

std::shared_ptr<QSvgRenderer> rendererFor(const QString &path)
{
    auto it = renderers().constFind(path);
    if (it != renderers().constEnd())
        return it.value();
    auto renderer = std::make_shared<QSvgRenderer>(path);
    renderers().insert(path, renderer);
    return renderer;
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
    prepareApplicationIcon();
    std::shared_future<QList<QImage>> images;
    {
        QMutexLocker lock(&cacheMutex());
        images = applicationIconImages().images;
    }
    QIcon icon;
    if (!images.valid())
        return icon;
    for (const QImage &image : images.get())
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

void ImageLibrary::prepareApplicationIcon()
{
    // Painting takes the application's default font: there must be a GUI application by now.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    const QString path = filePath(QLatin1String(theme::kApplicationIconImage));
    QMutexLocker lock(&cacheMutex());
    IconImages &icon = applicationIconImages();
    if (icon.images.valid() && icon.path == path)
        return;
    icon.path = path;
    icon.images = path.isEmpty() ? std::shared_future<QList<QImage>>()
                                 : StartUpQueue::submit([path] { return drawIcon(path); }).share();
}

QString ImageLibrary::filePath(const QString &name)
{
    if (name.isEmpty())
        return QString();
    const QString base = Bundle::mainBundle().resourcePath() + QLatin1Char('/') + name;
    {
        QMutexLocker lock(&cacheMutex());
        auto it = paths().constFind(base);
        if (it != paths().constEnd())
            return it.value();
    }
    // A missing image is looked for again next time: it may yet be installed.
    for (const char *ending : {".svg", ".png"}) {
        const QString path = base + QLatin1String(ending);
        if (QFileInfo::exists(path)) {
            QMutexLocker lock(&cacheMutex());
            paths().insert(base, path);
            return path;
        }
    }
    return QString();
}

QSize ImageLibrary::sizeOfImage(const QString &name)
{
    const QString path = filePath(name);
    if (path.isEmpty())
        return QSize();
    QMutexLocker lock(&cacheMutex());
    auto it = sizes().constFind(path);
    if (it != sizes().constEnd())
        return it.value();
    QSize size;
    if (path.endsWith(QLatin1String(".svg"))) {
        const std::shared_ptr<QSvgRenderer> renderer = rendererFor(path);
        size = renderer->isValid() ? renderer->defaultSize() : QSize();
    } else {
        size = QImageReader(path).size();
    }
    sizes().insert(path, size);
    return size;
}

QPixmap ImageLibrary::imageNamed(const QString &name, qreal devicePixelRatio)
{
    const QString path = filePath(name);
    if (path.isEmpty())
        return QPixmap();
    const qreal ratio = devicePixelRatio > 0.0 ? qMax<qreal>(1.0, devicePixelRatio) : screenRatio();
    const QString key = cacheKey(path, ratio);
    std::shared_future<QImage> ahead;
    {
        QMutexLocker lock(&cacheMutex());
        auto it = cache().constFind(key);
        if (it != cache().constEnd())
            return it.value();
        ahead = preparedImages().take(key);
    }
    QPixmap pixmap;
    // Drawn ahead, unless that thread has not got to it yet: waiting for a thread the system may
    // not be running could take longer than drawing it here.
    QImage drawn;
    if (ahead.valid() && ahead.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        try {
            drawn = ahead.get();
        } catch (const std::future_error &) {
            // That thread ended before it got to this one: drawn here instead.
        }
    }
    if (!drawn.isNull()) {
        pixmap = QPixmap::fromImage(drawn);
    } else if (path.endsWith(QLatin1String(".svg"))) {
        QMutexLocker lock(&cacheMutex());
        const std::shared_ptr<QSvgRenderer> renderer = rendererFor(path);
        if (renderer->isValid())
            pixmap = QPixmap::fromImage(renderedAt(*renderer, ratio));
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
        QMutexLocker lock(&cacheMutex());
        rendererFor(path)->render(painter, target);
        return;
    }
    painter->drawPixmap(target, imageNamed(name), QRectF());
}

void ImageLibrary::prepareImages(const QStringList &names)
{
    // The screens' ratio is known only once the GUI application has connected to them.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    finishPreparing();
    struct Drawing
    {
        QString path;
        std::promise<QImage> image;
    };
    auto drawings = std::make_shared<std::vector<Drawing>>();
    const qreal ratio = screenRatio();
    for (const QString &name : names) {
        const QString path = filePath(name);
        if (!path.endsWith(QLatin1String(".svg")))
            continue;
        const QString key = cacheKey(path, ratio);
        QMutexLocker lock(&cacheMutex());
        if (cache().contains(key) || preparedImages().contains(key))
            continue;
        drawings->push_back({path, {}});
        preparedImages().insert(key, drawings->back().image.get_future().share());
    }
    if (drawings->empty())
        return;
    QThread *gui = QCoreApplication::instance()->thread();
    try {
        preparing() = StartUpQueue::submit([drawings, ratio, gui] {
            for (Drawing &drawing : *drawings) {
                auto renderer = std::make_shared<QSvgRenderer>(drawing.path);
                // Drawn from on the GUI thread from now on, as a document parsed there would be.
                renderer->moveToThread(gui);
                QImage image = renderer->isValid() ? renderedAt(*renderer, ratio) : QImage();
                {
                    QMutexLocker lock(&cacheMutex());
                    if (!renderers().contains(drawing.path))
                        renderers().insert(drawing.path, renderer);
                    if (!sizes().contains(drawing.path))
                        sizes().insert(drawing.path, renderer->isValid() ? renderer->defaultSize() : QSize());
                }
                drawing.image.set_value(std::move(image));
            }
        });
    } catch (const std::system_error &) {
        // No thread to be had: each is drawn on request, as it would be without this.
        QMutexLocker lock(&cacheMutex());
        for (const Drawing &drawing : *drawings)
            preparedImages().remove(cacheKey(drawing.path, ratio));
    }
}

void ImageLibrary::finishPreparing()
{
    if (preparing().valid())
        preparing().get();
}

void ImageLibrary::clearCache()
{
    finishPreparing();
    QMutexLocker lock(&cacheMutex());
    preparedImages().clear();
    cache().clear();
    paths().clear();
    sizes().clear();
    renderers().clear();
    applicationIconImages() = IconImages();
}
