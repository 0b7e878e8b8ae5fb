#include "ctkColorDialog.h"

#include <algorithm>

namespace {

QList<ctkColorDialog::DefaultTab>& tabs()
{
    static QList<ctkColorDialog::DefaultTab> list;
    return list;
}

int& defaultIndex()
{
    static int index = 0;
    return index;
}

} // namespace

ctkColorDialog::ctkColorDialog(QWidget* parent)
    : QColorDialog(parent)
{
}

ctkColorDialog::~ctkColorDialog() = default;

void ctkColorDialog::insertDefaultTab(int index, QWidget* widget, const QString& label,
                                      const char* colorSignal, const char* nameSignal)
{
    if (!widget)
        return;
    // Tabs whose widget is gone are dropped.
    tabs().erase(std::remove_if(tabs().begin(), tabs().end(), [](const DefaultTab& t) { return !t.widget; }),
                 tabs().end());
    DefaultTab tab{widget, label, QByteArray(colorSignal), QByteArray(nameSignal)};
    if (index < 0 || index > tabs().size())
        tabs().append(tab);
    else
        tabs().insert(index, tab);
}

void ctkColorDialog::removeDefaultTab(int index)
{
    if (index >= 0 && index < tabs().size())
        tabs().removeAt(index);
}

void ctkColorDialog::setDefaultTab(int index)
{
    defaultIndex() = index;
}

int ctkColorDialog::defaultTab()
{
    return defaultIndex();
}

QList<ctkColorDialog::DefaultTab> ctkColorDialog::defaultTabs()
{
    return tabs();
}
