#pragma once
// Resolves icon names to pixmaps (cache, registered XPM pictures, files, icon folders)
// and offers the small pixmap tools used for overlay and status icons.

#include "PelmoraGuiExport.h"

#include <QPixmap>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QByteArray;
class QIcon;
class QSize;
QT_END_NAMESPACE

namespace Gui {

struct PictureFactoryP;

class PELMORAGUI_EXPORT PictureFactory
{
public:
    // Where merge() places an overlay on its base.
    enum Position { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3 };

    // Created on first use; destruct() frees it (and its cache).
    static PictureFactory& instance();
    static void destruct();

    // Never null: a name found nowhere gives a white square and a console warning.
    QPixmap get_pixmap(const char* name) const;
    // The picture of get_pixmap() as an icon, the same icon for every caller.
    QIcon get_icon(const char* name) const;
    bool find_pixmap_from_factory(const char* name, QPixmap& out) const;
    void register_pixmap_to_factory(const char* name, const QPixmap& pixmap);
    // The array is not copied: the caller keeps it alive while the factory exists.
    void add_a_xpm(const char* name, const char** xpm);

    void add_picture_directory(const QString& path);
    void delete_picture_directory(const QString& path);
    QStringList get_directories() const;

    QStringList get_registered_pixmap_names() const;
    QStringList get_icon_file_names() const;

    QPixmap get_pixmap_from_svg(const QByteArray& svg, const QSize& size) const;
    // Null when no such file exists; silent.
    QPixmap get_pixmap_from_svg(const char* name, const QSize& size) const;
    QIcon iconFromTheme(const char* name, const QIcon& fallback) const;

    QPixmap merge(const QPixmap& base, const QPixmap& overlay, Position position) const;
    QPixmap merge(const QPixmap& first, const QPixmap& second, bool vertical) const;
    QPixmap resize(int w, int h, const QPixmap& pixmap, Qt::BGMode mode) const;
    QPixmap draw_smaller_icon(int x, int y, int w, int h, const QPixmap& pixmap, Qt::BGMode mode) const;
    QPixmap disabled(const QPixmap& pixmap) const;

private:
    PictureFactory();
    ~PictureFactory();
    PictureFactory(const PictureFactory&) = delete;
    PictureFactory& operator=(const PictureFactory&) = delete;

    bool load_pixmap(const QString& path, QPixmap& pixmap) const;

    PictureFactoryP* d;
    static PictureFactory* _pcSingleton;
};

} // namespace Gui
