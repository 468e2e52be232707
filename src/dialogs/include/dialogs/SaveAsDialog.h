#pragma once

#include <QFileDialog>

// The Save As dialog of the output path: WebM, MPEG-1 and MP4 filters (the current format first), an
// initial folder and name, the chosen filter's extension added to a name without one, and the
// question before replacing a file.
class SaveAsDialog : public QFileDialog
{
    Q_OBJECT

public:
    SaveAsDialog(QWidget *owner, const QString &folder, const QString &name,
                 const QString &currentExtension);

    static QStringList filtersFor(const QString &currentExtension);
    // The name with the filter's extension added unless it already ends in .webm, .mpg or .mp4.
    static QString withExtension(const QString &path, const QString &filter);

public slots:
    void accept() override;
};
