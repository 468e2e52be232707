// A drag source for the desktop tests: a small window that, while the left button is held on it,
// drags the files named on its command line by XDND, as a file manager does. The tests move the
// pointer with real input events; this program only reports on standard output:
//   "ready <window id>" once shown, "started" when a drag begins, "ended <action>" when it ends
// (action: copy, move, link or none).

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

void report(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray actionName(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction:
        return "copy";
    case Qt::MoveAction:
        return "move";
    case Qt::LinkAction:
        return "link";
    default:
        return "none";
    }
}

class DragSource : public QWidget
{
public:
    explicit DragSource(const QStringList &paths)
        : m_paths(paths)
    {
        setWindowTitle(QStringLiteral("Velmora drag source"));
        resize(140, 90);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xf0, 0xc0, 0x40));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("%1 file(s)").arg(m_paths.size()));
    }

    void showEvent(QShowEvent *) override
    {
        QTimer::singleShot(0, this, [this] { report("ready " + QByteArray::number(qulonglong(winId()))); });
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        QList<QUrl> urls;
        for (const QString &path : m_paths)
            urls << QUrl::fromLocalFile(path);
        auto *mime = new QMimeData;
        mime->setUrls(urls);
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        report("started");
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        report("ended " + actionName(action));
    }

private:
    QStringList m_paths;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList paths = app.arguments().mid(1);
    DragSource source(paths);
    source.show();
    return app.exec();
}
