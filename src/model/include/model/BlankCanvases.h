#pragma once

#include "base/TargetSizeTable.h"
#include "model/PictureProblem.h"

#include <QString>

#include <array>

// One canvas of the background color per target size, in the run's temporary folder: the picture
// when there is none. Owns the files and deletes them.
class BlankCanvases
{
public:
    BlankCanvases() = default;
    ~BlankCanvases();
    BlankCanvases(const BlankCanvases &) = delete;
    BlankCanvases &operator=(const BlankCanvases &) = delete;

    // Paints every canvas with the image tool, waiting for each run: a start-up check, before
    // any window can be used. Stops at the first failure, which *problem then describes.
    bool create(const QString &toolPath, quint32 background, PictureProblem *problem = nullptr);
    // Deletes every canvas made and forgets the paths.
    void clear();

    QString path(int sizeIndex) const;
    // The canvas of AppSettings' target size.
    QString currentPath() const;

private:
    std::array<QString, TargetSizeTable::RowCount> m_paths;
};

// Longest the image tool may take for one blank canvas: at start-up, before any window shows, a
// hanging tool must be named soon.
constexpr int BlankCanvasTimeoutMs = 10000;
