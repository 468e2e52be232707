#pragma once

#include "base/IniFile.h"

#include <QLatin1String>
#include <QList>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The keys of the settings file, each once: its name, its default, how its text is read and how
// a value is written. AppSettings reads and writes the file through these rows.
class Settings
{
public:
    template <typename T>
    struct Key
    {
        using Value = T;

        QLatin1String name;                             // as the file spells it
        T (*defaultValue)();                            // for an absent key or an unusable text
        std::optional<T> (*parse)(const QString &text); // nullopt: the text is unusable
        QString (*format)(const T &value);              // the text that reads back as value

        // The value of the key's text, nullopt when the file does not hold the key.
        T valueOf(const std::optional<QString> &text) const
        {
            if (text) {
                if (const std::optional<T> value = parse(*text))
                    return *value;
            }
            return defaultValue();
        }
        // The value the key has in a file's bytes.
        T valueIn(const QByteArray &file) const
        {
            return valueOf(IniFile::find(file, Section, name));
        }
        // The value from the first of the files (their bytes, in order) that holds the key.
        T valueIn(const QList<QByteArray> &files) const
        {
            for (const QByteArray &file : files) {
                if (std::optional<QString> text = IniFile::find(file, Section, name))
                    return valueOf(text);
            }
            return defaultValue();
        }
        // The key and the text that stores value, for AppSettings::set.
        IniFile::KeyValue entry(const T &value) const
        {
            return {name, format(value)};
        }
    };

    // The one section of the file that holds the program's keys.
    static constexpr QLatin1String Section{"Velmora 1"};
    // The target video sizes the TargetVideoSize key can name, 0 to TargetSizeCount - 1.
    static constexpr int TargetSizeCount = 5;

    // Paths of the three tools. An absent key reads as "x": the tool check takes any path
    // starting with "x" as never set.
    static const Key<QString> ImageTool;
    static const Key<QString> Encoder;
    static const Key<QString> Player;
    // Hex like scanf("%x"); out of range gives the default, 2 (640x360).
    static const Key<int> TargetVideoSize;
    // Hex, its low 24 bits as red, green and blue; black by default.
    static const Key<QRgb> DefaultBackgroundColor;
    // Off when the text starts with "0", else on; on by default.
    static const Key<bool> AutoPlayOnOpen;
    // Folders the file dialogs start in. One trailing "/" or "\" is dropped unless the value is
    // "/"; an absent key gives the user's Pictures, Music or Videos folder, else home.
    static const Key<QString> PictureFolder;
    static const Key<QString> AudioFolder;
    static const Key<QString> DestinationFolder;
    // The size the open-file and the Save As dialogs last had, "<width>x<height>" in decimal
    // pixels; an absent or unusable text gives an empty size (none remembered).
    static const Key<QSize> OpenFileDialogSize;
    static const Key<QSize> SaveAsDialogSize;
    // The extension of the format last chosen in Save As: "webm", "mpg" or "mp4", any case;
    // anything else gives "webm".
    static const Key<QString> OutputFormat;

    // <configuration folder>/Velmora 1/Velmora1.ini; the folder is created when missing.
    static QString iniFilePath();
    // The system-wide files a package installs (<folder>/Velmora 1/Velmora1.ini for each folder
    // of XDG_CONFIG_DIRS, /etc/xdg when unset), in that order, those that exist. They give the
    // keys the user's file lacks and are never written.
    static QStringList systemIniFilePaths();

    // Reads like scanf("%x"): leading blanks, optional sign and "0x", hex digits up to the first
    // other character. nullopt when no digit was read.
    static std::optional<qint64> parseHex(const QString &text);
};
