#pragma once

#include "base/Settings.h"

#include <QSize>

#include <array>

// One video size.
struct TargetSize
{
    int width;
    int height;

    QSize size() const { return {width, height}; }
};

// The five video sizes; row 2 (640x360) is the default. 1920x1080 came last, as row 4, so that
// the rows older settings files name keep their meaning.
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
        {1280, 720},
        {854, 480},
        {640, 360},
        {426, 240},
        {1920, 1080},
    }};
};
