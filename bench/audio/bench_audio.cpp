// Figures of the audio preview: measuring long files, the delay from play() to the first samples
// at the device, processor time and memory while playing. Run by scripts/bench.sh audio.

#include "BenchSupport.h"
#include "media/AudioLength.h"
#include "media/AudioPreview.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

using BenchSupport::cpuSeconds;
using BenchSupport::median;
using BenchSupport::statusKb;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}


int measure(const QStringList &files)
{
    for (const QString &file : files) {
        QList<double> times;
        double duration = -1;
        for (int i = 0; i < 7; ++i) {
            const auto start = Clock::now();
            if (!measureAudioFile(file, duration)) {
                std::printf("%s: not measurable\n", qPrintable(file));
                return 1;
            }
            times.push_back(msSince(start));
        }
        std::printf("measure %-28s %10.3f s  first %7.1f ms  median %7.1f ms\n",
                    qPrintable(file.section('/', -1)), duration, times.front(), median(times));
    }
    return 0;
}

// Waits for the first samples the device takes from the stream. A benchmark may poll.
double untilFirstSamples(const AudioPreview &preview, Clock::time_point start)
{
    while (preview.position() == 0 && msSince(start) < 2000)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return msSince(start);
}

int play(AudioPreview &preview, const QString &file, double seconds)
{
    const long idleKb = statusKb("VmRSS:");
    QList<double> opened, resumed;
    for (int i = 0; i < 9; ++i) {
        auto start = Clock::now();
        if (preview.play(file).playing != AudioTransport::SetPlaying) {
            std::printf("%s: does not play\n", qPrintable(file));
            return 1;
        }
        opened.push_back(untilFirstSamples(preview, start));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        preview.pause();
        preview.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        start = Clock::now();
        preview.play(QString());
        resumed.push_back(untilFirstSamples(preview, start));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        preview.stop();
    }
    std::printf("play(file) to first samples: median %.1f ms, worst %.1f ms\n", median(opened),
                *std::max_element(opened.begin(), opened.end()));
    std::printf("play() of the open stream to first samples: median %.1f ms, worst %.1f ms\n",
                median(resumed), *std::max_element(resumed.begin(), resumed.end()));

    preview.play(file);
    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu = cpuSeconds() - cpuStart;
    const double wall = msSince(start) / 1000;
    const double played = preview.position();
    std::printf("playing %.1f s (%.1f s reached the device): processor %.2f %% of one core\n", wall,
                played, 100 * cpu / wall);
    std::printf("memory: idle %ld kB, peak %ld kB, peak above idle %.1f MB\n", idleKb,
                statusKb("VmHWM:"), double(statusKb("VmHWM:") - idleKb) / 1024);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2 || (args[0] != "measure" && args[0] != "play")) {
        std::fprintf(stderr, "usage: bench_audio measure FILE... | bench_audio play FILE SECONDS\n");
        return 2;
    }
    // Measuring needs no device.
    if (args[0] == "measure")
        return measure(args.mid(1));
    AudioPreview preview;
    // No window here: a start-up failure goes to the terminal.
    const QString failure = preview.start();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    return play(preview, args[1], args.value(2, "20").toDouble());
}
