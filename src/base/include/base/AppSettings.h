#pragma once

#include <QString>

#include <array>

// Process-wide settings, filled once at start-up from the INI file.
struct AppSettings
{
    QString iniPath;
    QString imageToolPath;   // S1
    QString encoderPath;     // S2
    QString playerPath;      // S3
    int targetSizeIndex = 2;
    quint32 backgroundColor = 0x000000; // 0xRRGGBB
    bool autoPlayOnOpen = true;

    static AppSettings &instance();
    // Back to the values before the INI file is read (tests start each case from here).
    void reset();
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
    static constexpr int RowCount = 4;
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

// The one INI section the program uses and its keys.
namespace SettingsKeys {
inline const QString Section = QStringLiteral("Velmora 1");
inline const QString ImageTool = QStringLiteral("S1");
inline const QString Encoder = QStringLiteral("S2");
inline const QString Player = QStringLiteral("S3");
inline const QString TargetVideoSize = QStringLiteral("TargetVideoSize");
inline const QString DefaultBackgroundColor = QStringLiteral("DefaultBackgroundColor");
inline const QString AutoPlayOnOpen = QStringLiteral("AutoPlayOnOpen");
inline const QString PictureFile = QStringLiteral("PictureFile");
inline const QString AudioFile = QStringLiteral("AudioFile");
inline const QString DestinationFolder = QStringLiteral("DestinationFolder");
} // namespace SettingsKeys

// "APPDATA\name": the user's configuration folder with the given name, created if missing.
QString getSettingsFolder(const QString &name);

// Reads "<name>Path" from the INI file; one trailing separator is removed unless the value is "/".
// A missing key gives the user's standard folder for it (Pictures, Music, Videos, else home).
QString readFolderSetting(const QString &name);
// The default of readFolderSetting for one of the three folder keys.
QString defaultFolderFor(const QString &name);

// Parses like scanf("%x"): leading blanks, optional sign and "0x", hex digits up to the first
// other character. Returns false when no digit was read.
bool parseHexLikeScanf(const QString &text, qint64 &value);

// Reads TargetVideoSize, DefaultBackgroundColor and AutoPlayOnOpen into AppSettings.
void readDisplaySettings(AppSettings &settings);
