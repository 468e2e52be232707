#pragma once

#include "base/IniFile.h"
#include "base/Settings.h"

#include <QList>
#include <QRgb>
#include <QString>

// The process-wide record of the settings, filled once at start-up from the settings file;
// the folder keys are read from the file again whenever they are asked for.
struct AppSettings
{
    QString iniPath;
    QString imageToolPath;
    QString encoderPath;
    QString playerPath;
    int targetSizeIndex = Settings::TargetVideoSize.defaultValue();
    QRgb backgroundColor = Settings::DefaultBackgroundColor.defaultValue();
    bool autoPlayOnOpen = Settings::AutoPlayOnOpen.defaultValue();

    static AppSettings &instance();
    // Back to the values before the settings file is read (tests start each case from here).
    void reset();
    // Every key the record holds, from one read of the file at iniPath.
    void load();

    // One key as the file at iniPath holds it now.
    template <typename T>
    T read(const Settings::Key<T> &key) const
    {
        return key.valueIn(IniFile::readAll(iniPath));
    }
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
