#pragma once

#include <QJsonObject>
#include <QPoint>
#include <QRgb>
#include <QSize>
#include <QString>

#include <optional>

struct CaptionSettings;

// Everything one video is made from: its inputs, its output and the settings the window would
// hold for it. A plain value; paths are absolute once a row is read.
struct RowSettings
{
    QString id;
    QString song;
    QString picture;                 // empty: the song's cover, else the blank canvas
    QString caption;                 // empty: none, unless captionFromTags finds one
    bool captionFromTags = false;
    QSize size{640, 360};
    QString format = QStringLiteral("mp4");  // the output's extension
    QString font;                    // empty: the caption's default, or the fallback when missing
    int pointSize = 40;
    QRgb color = qRgb(255, 255, 255);
    int placement = 4;
    bool shadowOn = true;
    QRgb shadowColor = qRgb(128, 128, 128);
    QPoint shadowOffset{3, 3};
    QRgb background = 0;

    // The settings as the report records them and a re-run compares them (paths and id aside).
    QJsonObject settingsJson() const;
    // The caption as the image tool draws it, from the text settled on (the row's or the tags');
    // nothing for an empty text.
    std::optional<CaptionSettings> captionSettings(const QString &text, const QString &fontName) const;
};
