#include "PictureFactory.h"

#include <obj/Application.h>
#include <vexil/MsgConsole.h>

#include <QApplication>
#include <QBitmap>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QPair>
#include <QPainter>
#include <QPalette>
#include <QSize>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <algorithm>
#include <string>

namespace Gui {

struct PictureFactoryP
{
    QMap<std::string, const char**> xpmMap;
    QMap<std::string, QPixmap> xpmCache;
    // One icon per name, shared by every caller; rebuilt when the name's picture changes.
    QMap<std::string, QPair<qint64, QIcon>> iconCache;
    // Decoded once: every object without an icon of its own asks for it.
    QPixmap fallback;
    QStringList paths;
};

namespace {

// 24 x 24, every pixel white: what a missing icon looks like.
const char* fallbackXpm[] = {
    "24 24 2 1",
    "# c #000000",
    ". c #ffffff",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................",
    "........................"};

QPixmap fallbackPixmap()
{
    return QPixmap(fallbackXpm);
}

// An existing regular file (a directory of that name does not count).
bool isFile(const QString& path)
{
    QFileInfo fi(path);
    return fi.exists() && !fi.isDir();
}

} // namespace

PictureFactory* PictureFactory::_pcSingleton = nullptr;

PictureFactory& PictureFactory::instance()
{
    if (!_pcSingleton) {
        _pcSingleton = new PictureFactory();

        std::string home;
        if (Obj::Application::_pcSingleton)
            home = Obj::Application::_pcSingleton->get_home_directory();
        const QString homeDir = QString::fromUtf8(home.c_str());

        auto& config = Obj::Application::mConfig;
        auto it = config.find("ProgramIcons");
        if (it != config.end()) {
            QString path = QString::fromUtf8(it->second.c_str());
            if (QFileInfo(path).isRelative())
                path = QDir(homeDir).filePath(path);
            _pcSingleton->add_picture_directory(path);
        }
        _pcSingleton->add_picture_directory(QString::fromLatin1("%1/icons").arg(homeDir));
        _pcSingleton->add_picture_directory(
            QString::fromLatin1("%1/icons").arg(QString::fromUtf8(config["UserAppData"].c_str())));
        _pcSingleton->add_picture_directory(QLatin1String(":/icons/"));
        _pcSingleton->add_picture_directory(QLatin1String(":/Icons/"));
    }
    return *_pcSingleton;
}

void PictureFactory::destruct()
{
    delete _pcSingleton;
    _pcSingleton = nullptr;
}

PictureFactory::PictureFactory()
    : d(new PictureFactoryP)
{
}

PictureFactory::~PictureFactory()
{
    delete d;
}

void PictureFactory::add_picture_directory(const QString& path)
{
    d->paths.append(path);
}

void PictureFactory::delete_picture_directory(const QString& path)
{
    d->paths.removeOne(path);
}

QStringList PictureFactory::get_directories() const
{
    return d->paths;
}

QStringList PictureFactory::get_registered_pixmap_names() const
{
    QStringList names;
    names.reserve(d->xpmMap.size() + d->xpmCache.size());
    for (auto it = d->xpmMap.cbegin(); it != d->xpmMap.cend(); ++it)
        names << QString::fromUtf8(it.key().c_str());
    // Cached pictures that also have an XPM are listed once, in the XPM part.
    for (auto it = d->xpmCache.cbegin(); it != d->xpmCache.cend(); ++it) {
        if (!d->xpmMap.contains(it.key()))
            names << QString::fromUtf8(it.key().c_str());
    }
    return names;
}

void PictureFactory::add_a_xpm(const char* name, const char** xpm)
{
    if (!name || !xpm)
        return;
    d->xpmMap[name] = xpm;
}

bool PictureFactory::find_pixmap_from_factory(const char* name, QPixmap& out) const
{
    if (!name)
        return false;
    auto it = d->xpmCache.constFind(name);
    if (it == d->xpmCache.cend())
        return false;
    out = it.value();
    return true;
}

void PictureFactory::register_pixmap_to_factory(const char* name, const QPixmap& pixmap)
{
    if (!name)
        return;
    d->xpmCache[name] = pixmap;
}

QStringList PictureFactory::get_icon_file_names() const
{
    QStringList filters;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray& format : formats)
        filters << QString::fromLatin1("*.%1").arg(QString::fromLatin1(format).toLower());
    filters.removeDuplicates();

    QStringList files;
    for (const QString& path : qAsConst(d->paths)) {
        QDir dir(path);
        const QFileInfoList entries = dir.entryInfoList(filters, QDir::Files);
        for (const QFileInfo& fi : entries)
            files << fi.absoluteFilePath();
    }
    files.removeDuplicates();
    return files;
}

bool PictureFactory::load_pixmap(const QString& path, QPixmap& pixmap) const
{
    QFileInfo fi(path);
    if (fi.exists()) {
        if (fi.suffix().toLower() == QLatin1String("svg")) {
            QFile svgFile(path);
            if (svgFile.open(QFile::ReadOnly | QFile::Text))
                pixmap = get_pixmap_from_svg(svgFile.readAll(), QSize(64, 64));
        }
        else {
            pixmap.load(path);
        }
    }
    return !pixmap.isNull();
}

QIcon PictureFactory::get_icon(const char* name) const
{
    const QPixmap pixmap = get_pixmap(name);
    QPair<qint64, QIcon>& entry = d->iconCache[name ? name : ""];
    if (entry.second.isNull() || entry.first != pixmap.cacheKey())
        entry = qMakePair(pixmap.cacheKey(), QIcon(pixmap));
    return entry.second;
}

QPixmap PictureFactory::get_pixmap(const char* name) const
{
    if (!name || *name == '\0') {
        if (d->fallback.isNull())
            d->fallback = fallbackPixmap();
        return d->fallback;
    }

    auto cached = d->xpmCache.constFind(name);
    if (cached != d->xpmCache.cend())
        return cached.value();

    QPixmap icon;

    // A registered picture that does not decode is treated like a missing one.
    auto xpm = d->xpmMap.constFind(name);
    if (xpm != d->xpmMap.cend())
        icon = QPixmap(xpm.value());

    if (icon.isNull()) {
        const QString fileName = QString::fromUtf8(name);
        if (!load_pixmap(fileName, icon)) {
            QList<QByteArray> formats = QImageReader::supportedImageFormats();
            formats.prepend("SVG");
            for (const QString& dirPath : qAsConst(d->paths)) {
                const QString path = QDir(dirPath).filePath(fileName);
                if (load_pixmap(path, icon))
                    break;
                bool found = false;
                for (const QByteArray& format : qAsConst(formats)) {
                    const QString withExt = QString::fromLatin1("%1.%2")
                                                .arg(path, QString::fromLatin1(format).toLower());
                    if (load_pixmap(withExt, icon)) {
                        found = true;
                        break;
                    }
                }
                if (found)
                    break;
            }
        }
    }

    if (icon.isNull()) {
        Vexil::MsgConsoleSingleton::Instance().Warning("Cannot find icon: %s\n", name);
        return fallbackPixmap();
    }

    d->xpmCache[name] = icon;
    return icon;
}

QPixmap PictureFactory::get_pixmap_from_svg(const QByteArray& svg, const QSize& size) const
{
    if (size.isEmpty())
        return QPixmap();

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);

    // Qt's parse complaints must not flood the console dock; restore whatever the dock
    // had before, since a caller may have switched its warnings off itself.
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    const unsigned int previous = console.SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, false);
    QSvgRenderer renderer(svg);
    if (previous & Vexil::MsgType_Wrn)
        console.SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, true);

    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap PictureFactory::get_pixmap_from_svg(const char* name, const QSize& size) const
{
    if (!name)
        return QPixmap();

    const QString fileName = QString::fromUtf8(name);
    QString iconPath;
    if (isFile(fileName)) {
        iconPath = fileName;
    }
    else {
        for (const QString& dirPath : qAsConst(d->paths)) {
            const QString path = QDir(dirPath).filePath(fileName);
            if (isFile(path)) {
                iconPath = path;
                break;
            }
            const QString withExt = path + QLatin1String(".svg");
            if (isFile(withExt)) {
                iconPath = withExt;
                break;
            }
        }
    }

    if (iconPath.isEmpty())
        return QPixmap();
    QFile file(iconPath);
    if (!file.open(QFile::ReadOnly | QFile::Text))
        return QPixmap();
    return get_pixmap_from_svg(file.readAll(), size);
}

QIcon PictureFactory::iconFromTheme(const char* name, const QIcon& fallback) const
{
    if (!name)
        return fallback;
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(name), fallback);
    if (icon.isNull()) {
        const QPixmap pixmap = get_pixmap(name);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap, QIcon::Normal, QIcon::Off);
    }
    return icon;
}

QPixmap PictureFactory::merge(const QPixmap& base, const QPixmap& overlay, Position position) const
{
    int x = 0;
    int y = 0;
    const double dx = base.width() / base.devicePixelRatio() - overlay.width() / overlay.devicePixelRatio();
    const double dy = base.height() / base.devicePixelRatio() - overlay.height() / overlay.devicePixelRatio();
    switch (position) {
    case TopRight:
        x = static_cast<int>(dx);
        break;
    case BottomLeft:
        y = static_cast<int>(dy);
        break;
    case BottomRight:
        x = static_cast<int>(dx);
        y = static_cast<int>(dy);
        break;
    case TopLeft:
        break;
    }

    QPixmap result = base;
    if (!base.mask().isNull())
        result = draw_smaller_icon(x, y, overlay.width(), overlay.height(), result, Qt::OpaqueMode);
    if (result.isNull())
        return result;

    QPainter painter(&result);
    painter.drawPixmap(x, y, overlay);
    painter.end();
    return result;
}

QPixmap PictureFactory::merge(const QPixmap& first, const QPixmap& second, bool vertical) const
{
    int x = 0;
    int y = 0;
    QSize size;
    if (vertical) {
        y = first.height();
        size = QSize(std::max(first.width(), second.width()), first.height() + second.height());
    }
    else {
        x = first.width();
        size = QSize(first.width() + second.width(), std::max(first.height(), second.height()));
    }
    if (size.isEmpty())
        return QPixmap();

    QPixmap result(size);
    result.fill(Qt::transparent);
    QBitmap mask(size);
    mask.fill(Qt::color0);

    QPainter painter(&result);
    painter.drawPixmap(0, 0, first);
    painter.drawPixmap(x, y, second);
    painter.end();

    // An opaque pixmap has no mask; its whole rectangle is visible, not hidden.
    const auto addMask = [&mask](int px, int py, const QPixmap& p) {
        if (p.isNull())
            return;
        QPainter mp(&mask);
        const QBitmap m = p.mask();
        if (m.isNull())
            mp.fillRect(px, py, p.width(), p.height(), Qt::color1);
        else
            mp.drawPixmap(px, py, m);
    };
    addMask(0, 0, first);
    addMask(x, y, second);

    result.setMask(mask);
    return result;
}

QPixmap PictureFactory::draw_smaller_icon(int x, int y, int w, int h, const QPixmap& pixmap, Qt::BGMode mode) const
{
    QBitmap mask = pixmap.mask();
    if (mask.isNull())
        return pixmap;

    QPainter painter(&mask);
    painter.fillRect(x, y, w, h, mode == Qt::OpaqueMode ? Qt::color1 : Qt::color0);
    painter.end();

    QPixmap copy = pixmap;
    copy.setMask(mask);
    return copy;
}

QPixmap PictureFactory::resize(int w, int h, const QPixmap& pixmap, Qt::BGMode mode) const
{
    if (mode == Qt::TransparentMode) {
        if (pixmap.width() == 0 || pixmap.height() == 0)
            w = 1;

        const int x = pixmap.width() > w ? 0 : (w - pixmap.width()) / 2;
        const int y = pixmap.height() > h ? 0 : (h - pixmap.height()) / 2;
        if (x == 0 && y == 0)
            return pixmap;
        if (h <= 0)
            return pixmap;

        QPixmap result(w, h);
        result.fill(Qt::transparent);
        QBitmap mask(w, h);
        mask.fill(Qt::color0);

        const QBitmap sourceMask = pixmap.mask();
        if (!sourceMask.isNull()) {
            QPainter mp(&mask);
            mp.drawPixmap(QRect(x, y, sourceMask.width(), sourceMask.height()), sourceMask);
            mp.end();
            result.setMask(mask);
        }
        else {
            result.setMask(mask);
            result = draw_smaller_icon(x, y, pixmap.width(), pixmap.height(), result, Qt::OpaqueMode);
        }

        QPainter painter(&result);
        painter.drawPixmap(x, y, pixmap);
        painter.end();
        return result;
    }

    if (pixmap.width() == 0 || pixmap.height() == 0)
        return pixmap;
    if (w <= 0 || h <= 0)
        return QPixmap();

    const QPalette palette = QApplication::palette();
    const QColor light = palette.color(QPalette::Disabled, QPalette::Light);
    const QColor text = palette.color(QPalette::Disabled, QPalette::Text);

    QPixmap result(w, h);
    result.fill(light);
    QPainter painter(&result);
    painter.setPen(light);
    painter.drawPixmap(1, 1, pixmap);
    painter.setPen(text);
    painter.drawPixmap(0, 0, pixmap);
    painter.end();
    return result;
}

QPixmap PictureFactory::disabled(const QPixmap& pixmap) const
{
    QStyleOption option;
    option.palette = QApplication::palette();
    return QApplication::style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
}

} // namespace Gui
