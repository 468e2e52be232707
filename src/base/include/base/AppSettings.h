#pragma once

#include "base/IniFile.h"
#include "base/Settings.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QRgb>
#include <QString>
#include <QStringList>

// The process-wide record of the settings, filled once at start-up from the settings file;
// the folder keys are read from the file again whenever they are asked for. A key the user's
// file (iniPath) lacks comes from the system-wide files, in order; only iniPath is written.
// Every change goes through set() or setAll(), which write the user's file and announce the key
// with changed(); a reader that must follow a key subscribes.
class AppSettings : public QObject
{
    Q_OBJECT

public:
    static AppSettings &instance();
    // Back to the values before the settings file is read, without files (tests start each case
    // from here).
    void reset();
    // The user's file, the one written, and the system-wide files that fill its gaps.
    void setFiles(const QString &iniPath, const QStringList &systemIniPaths = {});
    // Every key the record holds, from one read of the files (start-up: nothing is announced).
    void load();

    const QString &iniPath() const { return m_iniPath; }
    const QStringList &systemIniPaths() const { return m_systemIniPaths; }
    const QString &imageToolPath() const { return m_imageToolPath; }
    const QString &encoderPath() const { return m_encoderPath; }
    const QString &playerPath() const { return m_playerPath; }
    int targetSizeIndex() const { return m_targetSizeIndex; }
    QRgb backgroundColor() const { return m_backgroundColor; }
    bool autoPlayOnOpen() const { return m_autoPlayOnOpen; }

    // One key as the files hold it now.
    template <typename T>
    T read(const Settings::Key<T> &key) const
    {
        return key.valueIn(readFiles());
    }
    // The bytes of iniPath, then of each system-wide file; *statuses: how each read went.
    QList<QByteArray> readFiles(QList<IniFile::Status> *statuses = nullptr) const;

    // Where the last load() found a tool's path, for the message that names the file to mend:
    // the file that holds the key, else every file read (none holds it), else iniPath.
    QStringList sourcesOf(const Settings::Key<QString> &key) const;
    // The first settings file the last load() refused to read because it is not a regular file
    // (a FIFO would hang the start), and the message naming it; empty when there is none.
    const QString &refusedFile() const { return m_refusedFile; }
    QString refusedFileText() const;

    // Writes one key to the user's file. The record takes the value (as a new read of the file
    // would give it) for this run even when the save fails; false then, and the caller tells the
    // user with notSavedText().
    template <typename T>
    bool set(const Settings::Key<T> &key, const typename Settings::Key<T>::Value &value)
    {
        return store({key.entry(value)}, IfNotSaved::Keep);
    }
    // Writes several keys in one atomic save, all or nothing: when the save fails (false), the
    // record stays as it was.
    bool setAll(const QList<IniFile::KeyValue> &entries);
    // What the user reads when a write failed: the file named, the old one kept.
    QString notSavedText() const;

signals:
    // A key was set: a key of the record whose value changed, or a key only the file holds.
    void changed(const QString &key);

private:
    enum class IfNotSaved { Keep, Discard };

    AppSettings() = default;
    bool store(const QList<IniFile::KeyValue> &entries, IfNotSaved ifNotSaved);
    // False when the record does not hold the key or already had that value.
    bool assign(const QString &key, const QString &text, bool *held);

    QString m_iniPath;
    QStringList m_systemIniPaths;
    QString m_refusedFile;
    QHash<QString, QStringList> m_sources;
    QString m_imageToolPath;
    QString m_encoderPath;
    QString m_playerPath;
    int m_targetSizeIndex = Settings::TargetVideoSize.defaultValue();
    QRgb m_backgroundColor = Settings::DefaultBackgroundColor.defaultValue();
    bool m_autoPlayOnOpen = Settings::AutoPlayOnOpen.defaultValue();
};
