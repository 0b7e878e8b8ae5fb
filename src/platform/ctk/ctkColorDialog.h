#pragma once
// The colour dialog with extra tabs that other modules add once for every dialog (for
// example a picker of named colours), and which tab opens first.

#include <QColorDialog>
#include <QList>
#include <QPointer>

class ctkColorDialog : public QColorDialog
{
    Q_OBJECT
public:
    explicit ctkColorDialog(QWidget* parent = nullptr);
    ~ctkColorDialog() override;

    struct DefaultTab
    {
        QPointer<QWidget> widget;
        QString label;
        QByteArray colorSignal;
        QByteArray nameSignal;
    };

    // Adds a tab at `index` (-1: at the end). The widget is not owned; `colorSignal` and
    // `nameSignal` are SIGNAL texts the widget emits when the user picks a colour.
    static void insertDefaultTab(int index, QWidget* widget, const QString& label,
                                 const char* colorSignal = nullptr, const char* nameSignal = nullptr);
    static void removeDefaultTab(int index);
    static void setDefaultTab(int index);
    static int defaultTab();
    static QList<DefaultTab> defaultTabs();
};
