// Shows the main window's template laid out with the skin (band, title, picture frame and
// the sixteen picture buttons), with no program behaviour behind it: a way to look at the
// artwork in place. Usage: skin_preview [screenshot.png]  (with a file: grab and quit)
#include "mainwindow/MainWindow.h"
#include "widgets/AnchorGroup.h"
#include "widgets/DialogFont.h"
#include "widgets/DialogTemplate.h"
#include "widgets/SkinArtwork.h"
#include "widgets/SkinButton.h"
#include "widgets/TemplateControls.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

class SkinPreview : public QWidget
{
public:
    SkinPreview()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setWindowTitle(QStringLiteral("Velmora"));
        setWindowIcon(SkinArtwork::appIcon());
        createDialogControls(this, 101);
        applyDialogFont(this, 101, 96.0, m_font);
        for (int id : {1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108, 1109, 1110, 1112, 1113,
                       1114, 1116, 1117, 1118})
            SkinButton::attachAndLoad(id, this);
        QWidget *picture = dialogControl(this, MainWindow::PicturePreview);
        picture->setAutoFillBackground(true);
        QPalette black = picture->palette();
        black.setColor(QPalette::Window, Qt::black);
        picture->setPalette(black);
        for (int id = 1105; id <= 1110; ++id)
            m_steps.addControl(dialogControl(this, id), 1.0f, 1.0f);
        for (int id : {1101, 1102, 1103, 1104})
            m_frame.addControl(dialogControl(this, id), 1.0f, 1.0f);
        for (int id : {1117, 1118})
            m_corner.addControl(dialogControl(this, id), 1.0f, 1.0f);
        m_initial = size();
        for (int id = 1500; id <= 1509; ++id)
            m_skin[id - 1500] = SkinArtwork::skinBitmap(id, devicePixelRatioF());
    }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        const int w = width(), h = height();
        m_frame.moveBy(w - m_initial.width(), 0);
        QWidget *create = dialogControl(this, MainWindow::CreateButton);
        create->move(w / 2 - create->width() / 2 - 3, h - create->height() - 15);
        QWidget *saveAs = dialogControl(this, MainWindow::SaveAsButton);
        saveAs->move(20, create->y() - 48);
        const QRect s = saveAs->geometry();
        QWidget *edit = dialogControl(this, MainWindow::OutputPathEdit);
        edit->setGeometry(s.x() + s.width() + 10, s.y() + 6, w - (s.x() + s.width()) - 40,
                          edit->height());
        const QRect area(QPoint(34, 37 + 75 + 47), QPoint(w - 34 - 1, s.y() - 57 - 1));
        const double areaAspect = double(area.width()) / area.height();
        const double videoAspect = 640.0 / 360.0;
        int boxW, boxH;
        if (videoAspect <= areaAspect) {
            boxH = area.height();
            boxW = int(videoAspect * boxH + 0.5);
        } else {
            boxW = area.width();
            boxH = int(boxW / videoAspect + 0.5);
        }
        QWidget *picture = dialogControl(this, MainWindow::PicturePreview);
        picture->setGeometry(area.left() + area.width() / 2 - boxW / 2,
                             area.top() + area.height() / 2 - boxH / 2, boxW, boxH);
        for (int id : {1112, 1113}) {
            QWidget *button = dialogControl(this, id);
            button->move(w / 2 - button->width() / 2 - 2, picture->y() + picture->height());
        }
        m_steps.moveBy((w - m_initial.width()) / 2, picture->y() - 134);
        m_corner.moveBy(w - m_initial.width(), h - m_initial.height());
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(1, 75, 140));
        painter.drawTiledPixmap(QRect(0, 0, width(), 63), m_skin[0]);
        painter.drawPixmap(width() / 2 - 88, 37, m_skin[1]);
        const QRect b = dialogControl(this, MainWindow::PicturePreview)->geometry();
        const int right = b.x() + b.width(), bottom = b.y() + b.height();
        auto piece = [&](int id, const QRect &target) {
            const QPixmap &pixmap = m_skin[id - 1500];
            const qreal ratio = pixmap.devicePixelRatio();
            painter.drawPixmap(target, pixmap,
                               QRect(0, 0, int(target.width() * ratio), int(target.height() * ratio)));
        };
        piece(1502, QRect(b.x() - 23, b.y() - 11, 23, 11));
        piece(1503, QRect(right, b.y() - 11, 23, 11));
        piece(1504, QRect(right, bottom, 23, 42));
        piece(1505, QRect(b.x() - 23, bottom, 23, 42));
        piece(1506, QRect(b.x(), b.y() - 11, b.width(), 11));
        piece(1507, QRect(right, b.y(), 23, b.height()));
        piece(1508, QRect(b.x(), bottom, b.width(), 42));
        piece(1509, QRect(b.x() - 23, b.y(), 23, b.height()));
    }

private:
    DialogFontState m_font;
    AnchorGroup m_frame, m_steps, m_corner;
    QSize m_initial;
    QPixmap m_skin[10];
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SkinPreview preview;
    preview.move(40, 40);
    preview.show();
    if (argc > 1) {
        const QString out = QString::fromLocal8Bit(argv[1]);
        QTimer::singleShot(1500, &preview, [&preview, out] {
            const QPixmap shot = preview.screen()->grabWindow(0);
            QApplication::exit(shot.save(out) ? 0 : 1);
        });
    }
    return app.exec();
}
