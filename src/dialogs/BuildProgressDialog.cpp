#include "dialogs/BuildProgressDialog.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "tools/ToolRunner.h"
#include "widgets/DialogTemplate.h"
#include "widgets/ElidedPathLabel.h"
#include "widgets/TemplateControls.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>

#include <sys/stat.h>

namespace {

constexpr int TemplateId = 206;
constexpr int DonePauseMs = 500;
constexpr int CanceledPauseMs = 1000;

// What a path names before and after the encoder ran: a difference means the encoder wrote it.
struct FileStamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static FileStamp of(const QString &path)
    {
        FileStamp stamp;
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
            stamp.exists = true;
            stamp.device = info.st_dev;
            stamp.inode = info.st_ino;
            stamp.size = info.st_size;
            stamp.modified = info.st_mtim;
        }
        return stamp;
    }

    bool sameAs(const FileStamp &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode
            && size == other.size && modified.tv_sec == other.modified.tv_sec
            && modified.tv_nsec == other.modified.tv_nsec;
    }
};

} // namespace

BuildProgressDialog::BuildProgressDialog(QWidget *parent,
                                                             const QString &picturePath,
                                                             const QString &audioPath,
                                                             double audioDuration,
                                                             const QString &outputPath)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_picturePath(picturePath)
    , m_audioPath(audioPath)
    , m_audioDuration(audioDuration)
    , m_outputPath(outputPath)
    , m_sizeIndex(AppSettings::instance().targetSizeIndex)
{
    const auto pathLabel = [](const DialogControlTemplate &item, QWidget *parent) -> QWidget * {
        auto *label = new ElidedPathLabel(parent);
        label->setText(item.text);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    createDialogControls(this, TemplateId, {{IDC_BUILDING_PATH, pathLabel}, {IDC_VIDEO_SIZE, pathLabel}});
    applyDialogFont(this, TemplateId, 96.0, m_fontState);
    setFixedSize(size());

    m_cancelButton = dialogControlAs<QPushButton>(this, IDC_CANCEL);
    m_pathLabel = dialogControlAs<ElidedPathLabel>(this, IDC_BUILDING_PATH);
    m_sizeLabel = dialogControlAs<ElidedPathLabel>(this, IDC_VIDEO_SIZE);
    m_progress = dialogControlAs<QProgressBar>(this, IDC_PROGRESS);
    m_percentLabel = dialogControlAs<QLabel>(this, IDC_PERCENT);
    m_progress->setAccessibleName(QStringLiteral("Build progress"));

    const TargetSize &size = TargetSizeTable::instance().row(m_sizeIndex);
    m_pathLabel->setText(m_outputPath);
    m_pathLabel->setToolTip(m_outputPath);
    m_sizeLabel->setText(QStringLiteral("%1x%2").arg(size.width).arg(size.height));
    m_range = progressRange(m_audioDuration);
    m_progress->setRange(0, m_range);
    m_progress->setValue(0);
    m_percentLabel->setText(QStringLiteral("0 %"));

    m_finishTimer = new QTimer(this);
    m_finishTimer->setSingleShot(true);
    // A coarse timer may fire early; the final text stays up for the whole pause.
    m_finishTimer->setTimerType(Qt::PreciseTimer);
    connect(m_finishTimer, &QTimer::timeout, this, [this] { done(m_pendingResult); });
    connect(m_cancelButton, &QPushButton::clicked, this, &BuildProgressDialog::requestCancel);
}

BuildProgressDialog::~BuildProgressDialog()
{
    restoreDialogFont(m_fontState);
}

QString BuildProgressDialog::failureMessage() const
{
    return QStringLiteral("Was not able to create the output file:\n\n   %1\n\n%2")
        .arg(m_outputPath, m_failureReason);
}

qint64 BuildProgressDialog::encoderProcessId() const
{
    return m_run ? m_run->processId() : 0;
}

void BuildProgressDialog::requestCancel()
{
    if (m_pendingResult != 0)
        return;
    m_cancelRequested = true;
    if (m_run)
        m_run->requestCancel();
}

void BuildProgressDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_buildPosted) {
        m_buildPosted = true;
        // Posted, so the build starts once the dialog's own event loop runs.
        QMetaObject::invokeMethod(this, &BuildProgressDialog::buildBegin, Qt::QueuedConnection);
    }
}

void BuildProgressDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    requestCancel();
}

void BuildProgressDialog::reject()
{
    // Escape would end the dialog while the encoder still runs: it only asks for a cancel.
    requestCancel();
}

bool BuildProgressDialog::makePrivatePictureCopy(QString &copyPath)
{
    QString folder;
    if (!getTempFolder(folder))
        return false;
    const QString suffix = QFileInfo(m_picturePath).suffix();
    auto copy = std::make_unique<QTemporaryFile>(
        folder + QStringLiteral("/BuildPicture_XXXXXX") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix));
    QFile source(m_picturePath);
    if (!source.open(QIODevice::ReadOnly) || !copy->open())
        return false;
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (block.isEmpty() || copy->write(block) != block.size())
            return false;
    }
    if (!copy->flush())
        return false;
    copy->close();
    copyPath = copy->fileName();
    m_pictureCopy = std::move(copy);
    return true;
}

void BuildProgressDialog::buildBegin()
{
    show();

    QString picture;
    if (!makePrivatePictureCopy(picture)) {
        m_failureReason = QStringLiteral("The picture could not be copied for the encoder:\n\n   %1")
                              .arg(m_picturePath);
        finish(BuildFailed, 0);
        return;
    }

    const TargetSize &size = TargetSizeTable::instance().row(m_sizeIndex);
    ToolRun run(AppSettings::instance().encoderPath,
                encoderArguments(picture, m_audioPath, size.width, size.height, m_outputPath));
    run.setUserInput(ToolRun::UserInput::Allowed);
    run.setLineHandler([this](const QString &line) { toolLine(line); });
    if (m_cancelRequested)
        run.requestCancel();

    const FileStamp before = FileStamp::of(m_outputPath);
    m_run = &run;
    const ToolResult result = run.exec();
    m_run = nullptr;
    m_pictureCopy.reset();

    const BuildVerdict verdict = judgeEncoderRun(result, m_outputPath, isNonEmptyFile(m_outputPath));
    switch (verdict.outcome) {
    case BuildOutcome::PermissionDenied:
        finish(BuildPermissionDenied, 0);
        break;
    case BuildOutcome::Canceled:
        m_percentLabel->setText(QStringLiteral("*** Canceled ***"));
        finish(BuildCanceled, CanceledPauseMs);
        break;
    case BuildOutcome::Failed:
        m_failureReason = verdict.reason;
        // Only what this encoder run wrote goes: a file it never touched is not ours to delete.
        if (!FileStamp::of(m_outputPath).sameAs(before))
            QFile::remove(m_outputPath);
        finish(BuildFailed, 0);
        break;
    case BuildOutcome::Done:
        m_progress->setValue(m_range);
        m_percentLabel->setText(QStringLiteral("100 %"));
        finish(BuildDone, DonePauseMs);
        break;
    }
}

void BuildProgressDialog::toolLine(const QString &line)
{
    const double seconds = parseEncoderTime(line);
    if (!(seconds > 0))
        return;
    m_progress->setValue(progressPosition(seconds, m_range));
    m_percentLabel->setText(QStringLiteral("%1 %").arg(progressPercent(seconds, m_audioDuration)));
}

void BuildProgressDialog::finish(int result, int pauseMs)
{
    m_pendingResult = result;
    m_cancelButton->setEnabled(false);
    if (pauseMs <= 0)
        done(result);
    else
        m_finishTimer->start(pauseMs);
}
