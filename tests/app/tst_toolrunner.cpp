#include "TestSupport.h"

#include "tools/ToolRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <signal.h>

class TestToolRunner : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void lineBuffer_data();
    void lineBuffer();
    void runs_data();
    void runs();
    void statusLinesSplitAcrossChunks();
    void cancelKillsTool();
    void nestedRunFromLineHandler();
    void timerFiresWhileToolRuns();
    void timeoutKillsTool();

private:
    QString script(const QString &name, const QByteArray &body);
    QTemporaryDir m_dir;
};

void TestToolRunner::init()
{
    QVERIFY(m_dir.isValid());
}

QString TestToolRunner::script(const QString &name, const QByteArray &body)
{
    return TestSupport::writeScript(m_dir.filePath(name), "#!/bin/sh\n" + body);
}

void TestToolRunner::lineBuffer_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("left");

    QTest::addRow("CR lines split mid-line")
        << QList<QByteArray>{"frame=1 time=00:00:01.00 bit", "rate=1\rframe=2 time=00:00:02.00\r"}
        << QStringList{"frame=1 time=00:00:01.00 bitrate=1", "frame=2 time=00:00:02.00"} << QByteArray();
    QTest::addRow("CR LF lines") << QList<QByteArray>{"first\r\nsecond\r\n"}
                                 << QStringList{"first", "second"} << QByteArray();
    QTest::addRow("LF lines and a partial one") << QList<QByteArray>{"a\nb\nc"}
                                                << QStringList{"a", "b"} << QByteArray("c");
    QTest::addRow("1000 buffered then 30 more")
        << QList<QByteArray>{QByteArray(1000, 'a'), QByteArray(30, 'b')}
        << QStringList{QString(1000, 'a'), QString(30, 'b')} << QByteArray();
    QTest::addRow("exactly below the limit keeps buffering")
        << QList<QByteArray>{QByteArray(1000, 'a'), QByteArray(23, 'b')}
        << QStringList{} << QByteArray(1000, 'a') + QByteArray(23, 'b');
}

void TestToolRunner::lineBuffer()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, left);
    QStringList seen;
    ToolLineBuffer buffer([&](const QString &line) { seen << line; });
    for (const QByteArray &chunk : chunks)
        buffer.feed(chunk);
    QCOMPARE(seen, lines);
    QCOMPARE(buffer.pending(), left);
}

void TestToolRunner::runs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("lines");

    using S = ToolResult::Status;
    QTest::addRow("no output") << "quiet" << QByteArray("exit 0\n") << QStringList() << int(S::Finished)
                               << QString() << QStringList();
    QTest::addRow("path with blanks") << "my tool" << QByteArray("echo \"$#:$1\"\n") << QStringList{"a b"}
                                      << int(S::Finished) << "1:a b\n" << QStringList{"1:a b"};
    QTest::addRow("no arguments") << "args" << QByteArray("echo $#\n") << QStringList() << int(S::Finished)
                                  << "0\n" << QStringList{"0"};
    QTest::addRow("odd arguments arrive whole")
        << "echoargs" << QByteArray("for a in \"$@\"; do printf '[%s]' \"$a\"; done\n")
        << QStringList{"-rf", "\"q\"", "100%", "\xc3\xa9 x", ""} << int(S::Finished)
        << QString::fromUtf8("[-rf][\"q\"][100%][\xc3\xa9 x][]") << QStringList();
    QTest::addRow("stderr merged, last words read") << "both" << QByteArray("echo out; echo err >&2; printf 'tail'; exit 3\n")
                                                    << QStringList() << int(S::Finished) << "out\nerr\ntail"
                                                    << QStringList{"out", "err"};
    QTest::addRow("crash") << "crash" << QByteArray("echo before; kill -SEGV $$\n") << QStringList()
                           << int(S::Crashed) << "before\n" << QStringList{"before"};
    QTest::addRow("fixed locale") << "locale" << QByteArray("echo $LC_ALL\n") << QStringList() << int(S::Finished)
                                  << "C\n" << QStringList{"C"};
    QTest::addRow("empty standard input") << "stdin" << QByteArray("cat; echo done\n") << QStringList()
                                          << int(S::Finished) << "done\n" << QStringList{"done"};
}

void TestToolRunner::runs()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, body);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QStringList, lines);

    QStringList seen;
    const ToolResult result = runTool(script(name, body), arguments, [&](const QString &l) { seen << l; });
    QCOMPARE(int(result.status), status);
    QCOMPARE(result.output, output);
    QCOMPARE(seen, lines);
    QVERIFY(result.started());
    if (name == "both")
        QCOMPARE(result.exitCode, 3);
}

void TestToolRunner::statusLinesSplitAcrossChunks()
{
    const QString tool = script("status", "printf 'frame=1 ti'; sleep 0.3; printf 'me=00:00:01.00\\rframe=2 time=00:00:02.00\\r'\n");
    QStringList seen;
    const ToolResult result = runTool(tool, {}, [&](const QString &l) { seen << l; });
    QCOMPARE(seen, (QStringList{"frame=1 time=00:00:01.00", "frame=2 time=00:00:02.00"}));
    QVERIFY(result.succeeded());

    // A missing tool cannot start: no output, no line.
    seen.clear();
    const ToolResult missing = runTool(m_dir.filePath("nothing here"), {}, [&](const QString &l) { seen << l; });
    QCOMPARE(missing.status, ToolResult::Status::FailedToStart);
    QVERIFY(!missing.started());
    QVERIFY(missing.output.isEmpty());
    QVERIFY(seen.isEmpty());
}

void TestToolRunner::cancelKillsTool()
{
    const QString tool = script("long", "echo started; exec sleep 30\n");
    ToolRun run(tool, {});
    run.setUserInput(ToolRun::UserInput::Allowed);
    qint64 pid = 0;
    run.setLineHandler([&](const QString &line) {
        if (line == "started") {
            pid = run.processId();
            run.requestCancel();
        }
    });
    QElapsedTimer clock;
    clock.start();
    const ToolResult result = run.exec();
    QCOMPARE(result.status, ToolResult::Status::Canceled);
    QVERIFY(result.started());
    QCOMPARE(result.output, QStringLiteral("started\n"));
    QVERIFY(run.cancelRequested());
    QVERIFY(pid > 0);
    QVERIFY(::kill(pid_t(pid), 0) != 0);   // the process is gone
    QVERIFY(clock.elapsed() < 20000);
}

void TestToolRunner::nestedRunFromLineHandler()
{
    const QString outer = script("outer", "echo one; sleep 0.2; echo two\n");
    const QString inner = script("inner", "echo inner-line\n");
    QStringList outerLines;
    QStringList innerLines;
    ToolRun outerRun(outer, {});
    outerRun.setLineHandler([&](const QString &line) {
        outerLines << line;
        if (line == "one") {
            ToolRun innerRun(inner, {});
            innerRun.setLineHandler([&](const QString &l) { innerLines << l; });
            const ToolResult r = innerRun.exec();
            QCOMPARE(r.output, QStringLiteral("inner-line\n"));
        }
    });
    const ToolResult result = outerRun.exec();
    QCOMPARE(outerLines, (QStringList{"one", "two"}));
    QCOMPARE(innerLines, QStringList{"inner-line"});
    QCOMPARE(result.output, QStringLiteral("one\ntwo\n"));
    QVERIFY(!outerRun.cancelRequested());
}

void TestToolRunner::timerFiresWhileToolRuns()
{
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(20);
    const ToolResult result = runTool(script("sleeper", "sleep 0.5\n"), {});
    QVERIFY(result.succeeded());
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
}

void TestToolRunner::timeoutKillsTool()
{
    ToolRun run(script("hang", "exec sleep 30\n"), {});
    run.setTimeout(200);
    const ToolResult result = run.exec();
    QCOMPARE(result.status, ToolResult::Status::TimedOut);
}

QTEST_MAIN(TestToolRunner)
#include "tst_toolrunner.moc"
