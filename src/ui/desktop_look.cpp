#include "ui/desktop_look.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTranslator>

namespace {

/// The desktop's style with a frame in the highlight colour around the
/// button that has the focus: the style's own mark is a faint dotted line
/// or a slightly different border, easy to lose when working by keyboard.
class FocusFrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_PushButton)
            drawFocusFrame(option, painter);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ToolButton && qobject_cast<const QAbstractButton*>(widget))
            drawFocusFrame(option, painter);
    }

private:
    static void drawFocusFrame(const QStyleOption* option, QPainter* painter)
    {
        if (!(option->state & State_HasFocus) || !(option->state & State_Enabled))
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
        painter->restore();
    }
};

/// The first installed icon theme of the list with the pictures the
/// buttons use, unless the desktop already chose one.
void chooseIconTheme()
{
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor"))
        return;
    // Without a desktop's platform theme Qt looks only inside the program;
    // the system's icon folders are those of the XDG data folders.
    QStringList paths = QIcon::themeSearchPaths();
    const QString dataFolders = qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString& folder : dataFolders.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (!paths.contains(folder + QStringLiteral("/icons")))
            paths << folder + QStringLiteral("/icons");
    }
    QIcon::setThemeSearchPaths(paths);
    for (const QString& theme : {QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("Tango")}) {
        for (const QString& folder : QIcon::themeSearchPaths()) {
            if (QFileInfo::exists(folder + "/" + theme + "/index.theme")) {
                QIcon::setThemeName(theme);
                return;
            }
        }
    }
}

}  // namespace

void prepareDesktopLook()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;

    // Qt's own texts (file and print dialogs, standard buttons) from the
    // system's translations; without them those dialogs speak English.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::Spanish, QLocale::Uruguay), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;

    chooseIconTheme();
    QApplication::setStyle(new FocusFrameStyle(QApplication::style()->name()));
}
