// Processor time of Velmora's own process while a tool runs: the wait must cost next to nothing;
// and its memory while a tool floods it with output.
#include "BenchSupport.h"
#include "tools/ToolRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using BenchSupport::cpuSeconds;

namespace {

void runCase(const char *name, const QString &tool, const QStringList &args)
{
    int lines = 0;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const ToolResult result = runTool(tool, args, [&](const QString &) { ++lines; });
    const double elapsed = wall.elapsed() / 1000.0;
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("%-26s wall %.2f s, Velmora's processor time %.4f s = %.2f %% of one core (%d lines, %s)\n",
                name, elapsed, cpu, 100.0 * cpu / elapsed, lines, result.succeeded() ? "ok" : "tool failed");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("5");

    struct Case
    {
        const char *name;
        QString tool;
        QStringList args;
    };
    // A silent tool, and one that talks like the encoder (a status line every 50 ms).
    const Case cases[] = {
        {"silent tool (sleep)", QStringLiteral("/bin/sleep"), {seconds}},
        {"status line every 50 ms", QStringLiteral("/bin/sh"),
         {QStringLiteral("-c"),
          QStringLiteral("end=$(( $(date +%s) + %1 )); i=0; while [ $(date +%s) -lt $end ]; do "
                         "i=$((i+1)); printf 'frame=%d fps=6 size=1kB time=00:00:%02d.00 bitrate=1\\r' $i $((i%60)); "
                         "sleep 0.05; done").arg(seconds)}},
    };
    for (const Case &c : cases)
        runCase(c.name, c.tool, c.args);
    // 300 MB without a line end: the run keeps a bounded tail, so memory stays small.
    runCase("300 MB, no line end", QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("head -c 300000000 /dev/zero | tr '\\0' x")});
    std::printf("peak memory of the whole process: %.0f MB\n", double(BenchSupport::peakKb()) / 1024.0);
    return 0;
}
