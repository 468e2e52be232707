#pragma once

#include "base/IniFile.h"
#include "base/Settings.h"

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

// The process-wide record of the settings, filled once at start-up from the settings file;
// the folder keys are read from the file again whenever they are asked for. A key the user's
// file (iniPath) lacks comes from the system-wide files, in order; only iniPath is written.
struct AppSettings
{
    QString iniPath;
    QStringList systemIniPaths;
    QString imageToolPath;
    QString encoderPath;
    QString playerPath;
    int targetSizeIndex = Settings::TargetVideoSize.defaultValue();
    QRgb backgroundColor = Settings::DefaultBackgroundColor.defaultValue();
    bool autoPlayOnOpen = Settings::AutoPlayOnOpen.defaultValue();

    static AppSettings &instance();
    // Back to the values before the settings file is read (tests start each case from here).
    void reset();
    // Every key the record holds, from one read of the files.
    void load();

    // One key as the files hold it now.
    template <typename T>
    T read(const Settings::Key<T> &key) const
    {
        return key.valueIn(readFiles());
    }
    // The bytes of iniPath, then of each system-wide file.
    QList<QByteArray> readFiles() const;
    // Writes keys of the file at iniPath, several in one atomic save; false when the save failed.
    // The record's fields are left to the caller.
    bool write(const QList<IniFile::KeyValue> &entries) const;
    template <typename T>
    bool write(const Settings::Key<T> &key, const T &value) const
    {
        return write({key.entry(value)});
    }
    // What the user reads when a write failed: the file named, the old one kept.
    QString notSavedText() const;
};
