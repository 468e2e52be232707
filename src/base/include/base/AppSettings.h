#pragma once

#include "base/IniFile.h"
#include "base/Settings.h"

#include <QList>
#include <QRgb>
#include <QString>

#include <array>

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
};

struct TargetSize
{
    int width;
    int height;
    QString blankCanvasPath;
};

// The four video sizes; row 2 (640x360) is the default.
class TargetSizeTable
{
public:
    static constexpr int RowCount = Settings::TargetSizeCount;
    static TargetSizeTable &instance();

    TargetSize &row(int index) { return m_rows.at(static_cast<size_t>(index)); }
    // The row of AppSettings::targetSizeIndex.
    TargetSize &current();

private:
    std::array<TargetSize, RowCount> m_rows{{
        {1280, 720, {}},
        {854, 480, {}},
        {640, 360, {}},
        {426, 240, {}},
    }};
};
