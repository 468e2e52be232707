#include "GuideTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

InstalledGuide::InstalledGuide()
{
    const QString source = QStringLiteral(VELMORA_TEST_SOURCE_DIR "/../doc/guide");
    QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = m_dir.path() + QStringLiteral("/velmora/guide/") + QDir(source).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
    qputenv("XDG_DATA_DIRS", m_dir.path().toLocal8Bit());
}

QString InstalledGuide::indexFile() const
{
    return m_dir.path() + QStringLiteral("/velmora/guide/index.html");
}
