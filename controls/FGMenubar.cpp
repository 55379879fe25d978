#include "controls/FGMenubar.h"

#include "controls/FGResource.h"

#include <QMenu>

CFGMenubar::CFGMenubar(QWidget* parent) : QMenuBar(parent)
{
    setFont(FGGetFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, FGGetQColor(FGC_BACKGROUND));
    palette.setColor(QPalette::Button, FGGetQColor(FGC_BACKGROUND));
    palette.setColor(QPalette::ButtonText, FGGetQColor(FGC_TEXT));
    palette.setColor(QPalette::WindowText, FGGetQColor(FGC_TEXT));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, FGGetQColor(FGC_GRAYTEXT));
    palette.setColor(QPalette::Highlight, FGGetQColor(13));
    palette.setColor(QPalette::HighlightedText, FGGetQColor(FGC_TEXT));
    setPalette(palette);
    setAutoFillBackground(true);
    setNativeMenuBar(false);
}

BOOL CFGMenubar::InsertMenuItems(QMenu* menu)
{
    if (!menu) return FALSE;
    for (QAction* action : menu->actions()) addAction(action);
    return TRUE;
}

int CFGMenubar::GetItemCount() const
{
    return static_cast<int>(actions().size());
}

QSize CFGMenubar::sizeHint() const
{
    const int height = FGGetMenuMetric(FGMM_MENUBAR_HEIGHT);
    QSize hint = QMenuBar::sizeHint();
    if (height > 0) hint.setHeight(height);
    return hint;
}
