#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtTranslations(const std::string& language)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return false;
    // The application owns the translator, so it lives as long as Qt's texts.
    auto* translator = new QTranslator(application);
    const QLocale locale(QString::fromStdString(language));
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
