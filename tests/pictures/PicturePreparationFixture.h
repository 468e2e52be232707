#pragma once

#include "common/TestSupport.h"
#include "model/BlankCanvases.h"
#include "model/CaptionSettings.h"

#include <QObject>
#include <QRgb>
#include <QTemporaryDir>

#include <memory>

// What the picture preparation tests share: sources of each kind made by the real tool in a
// scratch folder, the blank canvases painted as the window's start does, and the settings each
// test starts from.
class PicturePreparationFixture : public QObject
{
    Q_OBJECT

public:
    // The canvases' and letterbox bars' color.
    static constexpr quint32 Background = 0x102030;
    static constexpr QRgb BackgroundPixel = qRgb(0x10, 0x20, 0x30);

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

protected:
    static bool near(QRgb a, QRgb b, int tolerance);
    static QString pixelText(QRgb p);
    // Caption settings that draw `text` plainly, in a font every machine with the tool has.
    static CaptionSettings caption(const QString &text);

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Paints the canvases as the window's start does, saying why it failed.
    bool createCanvases();

    QTemporaryDir m_dir;
    std::unique_ptr<TestSupport::ConfigSandbox> m_config;
    std::unique_ptr<TestSupport::MessageRecorder> m_messages;
    BlankCanvases m_canvases;
};
