#include "UserGuide.h"

#include "Prompts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QStringList userGuidePlaces(const QString& programFolder)
{
    const QDir program(programFolder);
    QStringList places{QDir::cleanPath(program.filePath(QStringLiteral("../share/doc/vardo/guide.html"))),
                       QDir::cleanPath(program.filePath(QStringLiteral("../share/doc/vardo/guide.md")))};
#if defined(VARDO_BUILD_PROGRAM_DIR) && defined(VARDO_BUILD_GUIDE) && defined(VARDO_SOURCE_GUIDE)
    if (QFileInfo(programFolder).canonicalFilePath() == QFileInfo(QStringLiteral(VARDO_BUILD_PROGRAM_DIR)).canonicalFilePath())
        places << QStringLiteral(VARDO_BUILD_GUIDE) << QStringLiteral(VARDO_SOURCE_GUIDE);
#endif
    return places;
}

QString findUserGuide(const QStringList& places)
{
    for (const QString& place : places) {
        if (QFileInfo(place).isFile())
            return place;
    }
    return {};
}

QString userGuideMissingText(const QStringList& places)
{
    return QStringLiteral("找不到用户指南。查找过：\n") + places.join(QLatin1Char('\n'));
}

void openUserGuide()
{
    const QStringList places = userGuidePlaces(QCoreApplication::applicationDirPath());
    const QString guide = findUserGuide(places);
    if (guide.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(guide)))
        prompts::showMessage(guide.isEmpty() ? userGuideMissingText(places)
                                             : QStringLiteral("无法打开用户指南：\n") + guide);
}
