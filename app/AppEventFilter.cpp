#include "app/AppEventFilter.h"

#include <QCoreApplication>

#include "app/CorvaneLoaderApp.h"

CAppEventFilter::CAppEventFilter()
{
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

CAppEventFilter::~CAppEventFilter()
{
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool CAppEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    return theApp.PreTranslateMessage(watched, event) != FALSE;
}
