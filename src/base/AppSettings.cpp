#include "base/AppSettings.h"

#include <utility>

namespace {

template <typename T>
bool update(T &field, const Settings::Key<T> &key, const QString &text)
{
    const T value = key.valueOf(text);
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

AppSettings &AppSettings::instance()
{
    static AppSettings settings;
    return settings;
}

void AppSettings::reset()
{
    m_iniPath.clear();
    m_systemIniPaths.clear();
    m_refusedFile.clear();
    m_sources.clear();
    m_imageToolPath.clear();
    m_encoderPath.clear();
    m_playerPath.clear();
    m_targetSizeIndex = Settings::TargetVideoSize.defaultValue();
    m_backgroundColor = Settings::DefaultBackgroundColor.defaultValue();
    m_autoPlayOnOpen = Settings::AutoPlayOnOpen.defaultValue();
}

void AppSettings::setFiles(const QString &iniPath, const QStringList &systemIniPaths)
{
    m_iniPath = iniPath;
    m_systemIniPaths = systemIniPaths;
}

void AppSettings::load()
{
    QList<IniFile::Status> statuses;
    const QList<QByteArray> files = readFiles(&statuses);
    const QStringList paths = QStringList{m_iniPath} + m_systemIniPaths;
    m_refusedFile.clear();
    QStringList read;
    for (int i = 0; i < paths.size(); ++i) {
        if (statuses.at(i) == IniFile::Status::NotRegularFile && m_refusedFile.isEmpty())
            m_refusedFile = paths.at(i);
        if (statuses.at(i) == IniFile::Status::Read)
            read << paths.at(i);
    }
    m_sources.clear();
    for (const QLatin1String key : {Settings::ImageTool.name, Settings::Encoder.name, Settings::Player.name}) {
        QStringList &sources = m_sources[key];
        for (int i = 0; i < files.size() && sources.isEmpty(); ++i) {
            if (IniFile::find(files.at(i), Settings::Section, key))
                sources << paths.at(i);
        }
        // No file holds the key: every file read lacks it, or there is none to read.
        if (sources.isEmpty())
            sources = read.isEmpty() ? QStringList{m_iniPath} : read;
    }
    m_imageToolPath = Settings::ImageTool.valueIn(files);
    m_encoderPath = Settings::Encoder.valueIn(files);
    m_playerPath = Settings::Player.valueIn(files);
    m_targetSizeIndex = Settings::TargetVideoSize.valueIn(files);
    m_backgroundColor = Settings::DefaultBackgroundColor.valueIn(files);
    m_autoPlayOnOpen = Settings::AutoPlayOnOpen.valueIn(files);
}

QList<QByteArray> AppSettings::readFiles(QList<IniFile::Status> *statuses) const
{
    QList<QByteArray> files;
    for (const QString &path : QStringList{m_iniPath} + m_systemIniPaths) {
        IniFile::Status status;
        files << IniFile::readAll(path, &status);
        if (statuses)
            *statuses << status;
    }
    return files;
}

QStringList AppSettings::sourcesOf(const Settings::Key<QString> &key) const
{
    return m_sources.value(key.name, QStringList{m_iniPath});
}

QString AppSettings::refusedFileText() const
{
    if (m_refusedFile.isEmpty())
        return {};
    return QStringLiteral("Can't read the settings from:\n\n   %1\n\nIt is not a regular file.\n\nSorry, can't continue.")
        .arg(m_refusedFile);
}

bool AppSettings::setAll(const QList<IniFile::KeyValue> &entries)
{
    return store(entries, IfNotSaved::Discard);
}

bool AppSettings::store(const QList<IniFile::KeyValue> &entries, IfNotSaved ifNotSaved)
{
    const bool saved = IniFile::writeStrings(m_iniPath, Settings::Section, entries);
    if (!saved && ifNotSaved == IfNotSaved::Discard)
        return false;
    QStringList changedKeys;
    for (const IniFile::KeyValue &entry : entries) {
        bool held = false;
        if (assign(entry.first, entry.second, &held) || (!held && saved))
            changedKeys << entry.first;
    }
    // Announced once the record is whole: a reader may look at the other keys.
    for (const QString &key : std::as_const(changedKeys))
        emit changed(key);
    return saved;
}

bool AppSettings::assign(const QString &key, const QString &text, bool *held)
{
    *held = true;
    if (key == Settings::ImageTool.name)
        return update(m_imageToolPath, Settings::ImageTool, text);
    if (key == Settings::Encoder.name)
        return update(m_encoderPath, Settings::Encoder, text);
    if (key == Settings::Player.name)
        return update(m_playerPath, Settings::Player, text);
    if (key == Settings::TargetVideoSize.name)
        return update(m_targetSizeIndex, Settings::TargetVideoSize, text);
    if (key == Settings::DefaultBackgroundColor.name)
        return update(m_backgroundColor, Settings::DefaultBackgroundColor, text);
    if (key == Settings::AutoPlayOnOpen.name)
        return update(m_autoPlayOnOpen, Settings::AutoPlayOnOpen, text);
    *held = false;
    return false;
}

QString AppSettings::notSavedText() const
{
    return QStringLiteral("The settings could not be saved in:\n\n   %1\n\nPlease check that this file can be "
                          "written, thanks.")
        .arg(m_iniPath);
}
