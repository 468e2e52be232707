#include "TestSupport.h"

#include "tools/ToolRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

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
    void runsSideBySide();
    void reportsFromTheEventLoop();
    void destroyingEndsTheTool();
    void timerFiresWhileToolRuns();
    void timeoutKillsTool();
    void stoppingEndsTheWholeGroup_data();
    void stoppingEndsTheWholeGroup();
    void longOutputKeepsATail();

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
    // One read of 1024 bytes or more holds many status lines: each is a line of its own.
    QByteArray statusBurst;
    QStringList statusLines;
    for (int i = 1; i <= 40; ++i) {
        const QByteArray line = "frame=" + QByteArray::number(i) + " fps=6.0 q=0.0 size=1kB time=00:00:"
            + QByteArray::number(10 + i) + ".00 bitrate=1.0kbits/s speed=2x";
        statusBurst += line + '\r';
        statusLines << QString::fromLatin1(line);
    }
    QVERIFY(statusBurst.size() >= 2 * ToolLineBuffer::Capacity);
    QTest::addRow("many status lines in one read") << QList<QByteArray>{statusBurst} << statusLines << QByteArray();
    QTest::addRow("status lines after a buffered part")
        << QList<QByteArray>{QByteArray(1000, 'a'), "b\r" + statusBurst.left(statusBurst.indexOf('\r') + 1)}
        << QStringList{QString(1000, 'a') + 'b', statusLines.first()} << QByteArray();
    // A line without an end goes on in pieces, so the buffer never grows past its capacity.
    QTest::addRow("1000 buffered then 30 more")
        << QList<QByteArray>{QByteArray(1000, 'a'), QByteArray(30, 'b')}
        << QStringList{QString(1000, 'a') + QString(23, 'b')} << QByteArray(7, 'b');
    QTest::addRow("just below a piece keeps buffering")
        << QList<QByteArray>{QByteArray(1000, 'a'), QByteArray(22, 'b')}
        << QStringList{} << QByteArray(1000, 'a') + QByteArray(22, 'b');
    QTest::addRow("3000 bytes in one read, then the end")
        << QList<QByteArray>{QByteArray(3000, 'x'), "y\n"}
        << QStringList{QString(1023, 'x'), QString(1023, 'x'), QString(954, 'x') + 'y'} << QByteArray();
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
    qint64 pid = 0;
    run.setLineHandler([&](const QString &line) {
        if (line == "started")
            pid = run.processId();
    });
    QSignalSpy ended(&run, &ToolRun::finished);
    QElapsedTimer clock;
    clock.start();
    run.start();
    QTRY_VERIFY(pid > 0);
    run.cancel();
    QTRY_COMPARE(ended.count(), 1);
    const ToolResult result = run.result();
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
            auto *innerRun = new ToolRun(inner, {}, &outerRun);
            innerRun->setLineHandler([&](const QString &l) { innerLines << l; });
            connect(innerRun, &ToolRun::finished, this,
                    [](const ToolResult &r) { QCOMPARE(r.output, QStringLiteral("inner-line\n")); });
            innerRun->start();
        }
    });
    const ToolResult result = outerRun.exec();
    QTRY_COMPARE(innerLines, QStringList{"inner-line"});
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

void TestToolRunner::stoppingEndsTheWholeGroup_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("cancel") << "cancel";
    QTest::addRow("time-out") << "timeout";
    QTest::addRow("stop now") << "stopNow";
}

// A tool that starts a helper and hangs: ending the run ends both, not just the tool.
void TestToolRunner::stoppingEndsTheWholeGroup()
{
    QFETCH(QString, how);
    const QString tool = script("forks", "sleep 300 &\necho \"child $!\"\nwait\n");
    ToolRun run(tool, {});
    qint64 toolPid = 0;
    qint64 childPid = 0;
    run.setLineHandler([&](const QString &line) {
        if (!line.startsWith("child "))
            return;
        toolPid = run.processId();
        childPid = line.mid(6).toLongLong();
        if (how == "cancel")
            run.cancel();
        else if (how == "stopNow")
            run.stopNow();
    });
    if (how == "timeout")
        run.setTimeout(500);
    QElapsedTimer clock;
    clock.start();
    const ToolResult result = run.exec();
    QCOMPARE(result.status, how == "timeout" ? ToolResult::Status::TimedOut : ToolResult::Status::Canceled);
    QVERIFY(toolPid > 0);
    QVERIFY(childPid > 0);
    QTRY_VERIFY(TestSupport::processGone(toolPid));
    QTRY_VERIFY(TestSupport::processGone(childPid));
    QVERIFY(clock.elapsed() < 20000);
}

// 40 MB without a line end: the run keeps only a tail, and the line handler gets bounded pieces.
void TestToolRunner::longOutputKeepsATail()
{
    const QString tool = script("flood", "head -c 40000000 /dev/zero | tr '\\0' x\nprintf '\\nEND\\n'\n");
    qsizetype longest = 0;
    qsizetype total = 0;
    QString last;
    const ToolResult result = runTool(tool, {}, [&](const QString &line) {
        longest = std::max(longest, line.size());
        total += line.size();
        last = line;
    });
    QVERIFY(result.succeeded());
    QVERIFY2(result.output.size() <= ToolRun::OutputTailBytes, qPrintable(QString::number(result.output.size())));
    QCOMPARE(result.output, QStringLiteral("END\n"));
    QVERIFY(longest < ToolLineBuffer::Capacity);
    QCOMPARE(total, qsizetype(40000000 + 3));
    QCOMPARE(last, QStringLiteral("END"));

    // 11 MB of lines, less than the run ever piles up: still only a tail, beginning at a line.
    const QString counter = script("counter", "seq 1 1500000\n");
    const ToolResult counted = runTool(counter, {});
    QVERIFY(counted.succeeded());
    QVERIFY(counted.output.size() <= ToolRun::OutputTailBytes);
    QVERIFY(counted.output.endsWith("\n1499999\n1500000\n"));
    const QString first = counted.output.section('\n', 0, 0);
    const QString second = counted.output.section('\n', 1, 1);
    QCOMPARE(second.toLongLong(), first.toLongLong() + 1);
}

// Two runs go on at once: neither waits for the other, and each reports its own result.
void TestToolRunner::runsSideBySide()
{
    ToolRun slow(script("slow", "sleep 0.6; echo slow\n"), {});
    ToolRun quick(script("quick", "echo quick\n"), {});
    QStringList order;
    connect(&slow, &ToolRun::finished, this, [&](const ToolResult &r) { order << r.output.trimmed(); });
    connect(&quick, &ToolRun::finished, this, [&](const ToolResult &r) { order << r.output.trimmed(); });
    slow.start();
    quick.start();
    QVERIFY(slow.processId() > 0);
    QVERIFY(quick.processId() > 0);
    QTRY_COMPARE(order, (QStringList{"quick", "slow"}));
    QVERIFY(slow.result().succeeded());
    QVERIFY(quick.result().succeeded());
}

// start() returns at once; the result comes through finished(), once, also when the tool cannot
// start or the run was cancelled before it began.
void TestToolRunner::reportsFromTheEventLoop()
{
    const QString missing = m_dir.filePath("nothing here");
    for (const QString &how : {QStringLiteral("missing"), QStringLiteral("canceled first")}) {
        ToolRun run(how == "missing" ? missing : script("ok", "exit 0\n"), {});
        QSignalSpy ended(&run, &ToolRun::finished);
        if (how == "canceled first")
            run.cancel();
        run.start();
        QCOMPARE(ended.count(), 0);
        QVERIFY(!run.isFinished());
        QTRY_VERIFY(run.isFinished());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(run.result().status,
                 how == "missing" ? ToolResult::Status::FailedToStart : ToolResult::Status::Canceled);
        QTest::qWait(50);
        QCOMPARE(ended.count(), 1);
    }
}

// A run that goes away while its tool works takes the tool's whole group with it.
void TestToolRunner::destroyingEndsTheTool()
{
    const QString tool = script("forks2", "sleep 300 &\necho \"child $!\"\nwait\n");
    qint64 toolPid = 0;
    qint64 childPid = 0;
    {
        ToolRun run(tool, {});
        run.setLineHandler([&](const QString &line) {
            if (line.startsWith("child ")) {
                toolPid = run.processId();
                childPid = line.mid(6).toLongLong();
            }
        });
        run.start();
        QTRY_VERIFY(childPid > 0);
    }
    QTRY_VERIFY(TestSupport::processGone(toolPid));
    QTRY_VERIFY(TestSupport::processGone(childPid));
}

QTEST_MAIN(TestToolRunner)
#include "tst_toolrunner.moc"
