#include "render/RenderCommand.h"

#include "render/RenderValues.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct OptionText
{
    const char *name;
    const char *value;  // nullptr: a switch
    const char *description;
};

const OptionText Options[] = {
    {"song", "S", "The song of the video."},
    {"picture", "P", "The picture; without one, the song's cover, else a blank canvas."},
    {"output", "O", "The video to write: .webm, .mpg or .mp4."},
    {"manifest", "FILE.csv", "Makes one video for each row of a CSV manifest."},
    {"output-dir", "DIR", "Where a manifest's videos and reports go."},
    {"jobs", "N", "Rows made at once (default: the number of cores)."},
    {"force", nullptr, "Makes every row again, even one whose video is up to date."},
    {"rows", "A-B", "Takes only the manifest's rows A to B (1 is the first row under the header)."},
    {"index-env", "VAR", "With --chunk K: takes the rows i*K+1 to i*K+K, i being VAR's value."},
    {"chunk", "K", "The number of rows in one share (with --index-env)."},
    {"size", "WxH", "The video size: 1280x720, 854x480, 640x360, 426x240 or 1920x1080."},
    {"background", "RRGGBB", "The color of the bars and of the blank canvas."},
    {"caption", "TEXT", "A caption drawn on the picture."},
    {"caption-from-tags", nullptr, "Without a caption: \"Artist – Title\" from the song's tags."},
    {"font", "NAME", "The caption's font, as the image tool names it."},
    {"point-size", "N", "The caption's size in points (1 to 400)."},
    {"color", "RRGGBB", "The caption's color."},
    {"placement", "NAME", "Where the caption goes: top-left, top, top-right, left, center, right, "
                          "bottom-left, bottom, bottom-right."},
    {"shadow", "RRGGBB", "The caption's shadow color, or \"none\"."},
    {"shadow-offset", "X,Y", "The shadow's offset in pixels (-200 to 200 each, not 0,0)."},
    {"image-tool", "PATH", "The image tool (ImageMagick's convert) to run."},
    {"encoder", "PATH", "The encoder (FFmpeg's ffmpeg) to run."},
};

void describe(QCommandLineParser &parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Turns a picture and a song into a video, without a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    for (const OptionText &option : Options) {
        if (option.value)
            parser.addOption(QCommandLineOption(QString::fromLatin1(option.name), QString::fromUtf8(option.description),
                                                QString::fromLatin1(option.value)));
        else
            parser.addOption(QCommandLineOption(QString::fromLatin1(option.name), QString::fromUtf8(option.description)));
    }
}

// The last value of an option given with a value; *given tells whether it was given at all.
bool optionValue(const QCommandLineParser &parser, const char *name, QString *value)
{
    const QStringList values = parser.values(QString::fromLatin1(name));
    if (values.isEmpty())
        return false;
    *value = values.last();
    return true;
}

bool fail(QString *why, const QString &text)
{
    *why = text;
    return false;
}

// Reads the settings options into row; false with *why naming the option.
bool readSettings(const QCommandLineParser &parser, RowSettings *row, QString *why)
{
    using namespace RenderValues;
    QString value;
    QString fault;
    const auto check = [&](const char *name, auto reader) {
        if (!optionValue(parser, name, &value))
            return true;
        if (reader(value))
            return true;
        *why = QStringLiteral("--%1: %2").arg(QLatin1String(name), fault);
        return false;
    };
    return check("size", [&](const QString &v) { return parseSize(v, &row->size, &fault); })
        && check("background", [&](const QString &v) { return parseColor(v, &row->background, &fault); })
        && check("caption", [&](const QString &v) {
               row->caption = v;
               return true;
           })
        && check("font", [&](const QString &v) {
               row->font = v;
               fault = QStringLiteral("the font's name is empty");
               return !v.trimmed().isEmpty();
           })
        && check("point-size", [&](const QString &v) { return parsePointSize(v, &row->pointSize, &fault); })
        && check("color", [&](const QString &v) { return parseColor(v, &row->color, &fault); })
        && check("placement", [&](const QString &v) { return parsePlacement(v, &row->placement, &fault); })
        && check("shadow", [&](const QString &v) { return parseShadow(v, &row->shadowOn, &row->shadowColor, &fault); })
        && check("shadow-offset", [&](const QString &v) { return parseShadowOffset(v, &row->shadowOffset, &fault); });
}

// "A-B" or "A", 1-based.
bool parseRowRange(const QString &text, int *first, int *last)
{
    static const QRegularExpression range(QStringLiteral("^([0-9]{1,9})(?:-([0-9]{1,9}))?$"));
    const QRegularExpressionMatch match = range.match(text);
    if (!match.hasMatch())
        return false;
    *first = match.captured(1).toInt();
    *last = match.captured(2).isEmpty() ? *first : match.captured(2).toInt();
    return *first >= 1 && *first <= *last;
}

} // namespace

bool RenderCommand::parse(const QStringList &arguments, const RowSettings &defaults,
                          const QProcessEnvironment &environment, int cores, RenderCommand *command, QString *why)
{
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments))
        return fail(why, parser.errorText());
    *command = RenderCommand();
    command->defaults = defaults;
    command->jobs = qMax(1, cores);
    if (parser.isSet(QStringLiteral("help"))) {
        command->mode = Mode::Help;
        return true;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        command->mode = Mode::Version;
        return true;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(why, QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    for (const OptionText &option : Options) {
        if (option.value && parser.values(QString::fromLatin1(option.name)).size() > 1)
            return fail(why, QStringLiteral("--%1 is given more than once").arg(QLatin1String(option.name)));
    }

    RowSettings &row = command->defaults;
    if (!readSettings(parser, &row, why))
        return false;
    row.captionFromTags = parser.isSet(QStringLiteral("caption-from-tags"));
    command->force = parser.isSet(QStringLiteral("force"));
    optionValue(parser, "image-tool", &command->imageTool);
    optionValue(parser, "encoder", &command->encoder);
    QString value;
    if (optionValue(parser, "jobs", &value) && !RenderValues::parseCount(value, 256, &command->jobs, why))
        return fail(why, QStringLiteral("--jobs: %1").arg(*why));
    if (optionValue(parser, "picture", &value)) {
        if (value.isEmpty())
            return fail(why, QStringLiteral("--picture: the path is empty"));
        row.picture = QFileInfo(value).absoluteFilePath();
    }

    const bool single = parser.isSet(QStringLiteral("song")) || parser.isSet(QStringLiteral("output"));
    const bool manifest = parser.isSet(QStringLiteral("manifest")) || parser.isSet(QStringLiteral("output-dir"));
    if (single && manifest)
        return fail(why, QStringLiteral("--song/--output make one video, --manifest/--output-dir many: not both"));
    if (!single && !manifest)
        return fail(why, QStringLiteral("nothing to do: give --song and --output, or --manifest and --output-dir"));

    if (single) {
        command->mode = Mode::Single;
        for (const char *needed : {"song", "output"}) {
            if (!optionValue(parser, needed, &value) || value.isEmpty())
                return fail(why, QStringLiteral("--%1 is missing").arg(QLatin1String(needed)));
        }
        for (const char *manifestOnly : {"rows", "index-env", "chunk"}) {
            if (parser.isSet(QString::fromLatin1(manifestOnly)))
                return fail(why, QStringLiteral("--%1 takes rows of a manifest").arg(QLatin1String(manifestOnly)));
        }
        optionValue(parser, "song", &value);
        row.song = QFileInfo(value).absoluteFilePath();
        optionValue(parser, "output", &value);
        const QFileInfo output(value);
        QString fault;
        if (!RenderValues::parseFormat(output.suffix(), &row.format, &fault))
            return fail(why, QStringLiteral("--output: the name must end in .webm, .mpg or .mp4"));
        if (!RenderValues::checkId(output.completeBaseName(), &fault))
            return fail(why, QStringLiteral("--output: %1").arg(fault));
        row.id = output.completeBaseName();
        command->output = output.absoluteFilePath();
        command->outputDir = output.absolutePath();
        return true;
    }

    command->mode = Mode::Manifest;
    for (const char *needed : {"manifest", "output-dir"}) {
        if (!optionValue(parser, needed, &value) || value.isEmpty())
            return fail(why, QStringLiteral("--%1 is missing").arg(QLatin1String(needed)));
    }
    if (parser.isSet(QStringLiteral("picture")) && row.picture.isEmpty())
        return fail(why, QStringLiteral("--picture: the path is empty"));
    optionValue(parser, "manifest", &value);
    command->manifest = QFileInfo(value).absoluteFilePath();
    optionValue(parser, "output-dir", &value);
    command->outputDir = QDir::cleanPath(QFileInfo(value).absoluteFilePath());

    const bool rows = parser.isSet(QStringLiteral("rows"));
    const bool indexEnv = parser.isSet(QStringLiteral("index-env"));
    const bool chunk = parser.isSet(QStringLiteral("chunk"));
    if (rows && (indexEnv || chunk))
        return fail(why, QStringLiteral("--rows and --index-env/--chunk both choose rows: give one of them"));
    if (indexEnv != chunk)
        return fail(why, QStringLiteral("--index-env and --chunk go together"));
    if (rows) {
        optionValue(parser, "rows", &value);
        if (!parseRowRange(value, &command->firstRow, &command->lastRow))
            return fail(why, QStringLiteral("--rows: \"%1\" is not a range A-B of rows (1 is the first, A <= B)").arg(value));
    } else if (indexEnv) {
        QString name;
        optionValue(parser, "index-env", &name);
        int size = 0;
        optionValue(parser, "chunk", &value);
        if (!RenderValues::parseCount(value, 1000000000, &size, why))
            return fail(why, QStringLiteral("--chunk: %1").arg(*why));
        if (!environment.contains(name))
            return fail(why, QStringLiteral("--index-env: the environment variable %1 is not set").arg(name));
        const QString index = environment.value(name);
        static const QRegularExpression whole(QStringLiteral("^[0-9]{1,9}$"));
        if (!whole.match(index).hasMatch())
            return fail(why, QStringLiteral("--index-env: %1 is \"%2\", not a whole number from 0").arg(name, index));
        const qint64 first = qint64(index.toInt()) * size + 1;
        command->firstRow = int(qMin<qint64>(first, INT_MAX));
        command->lastRow = int(qMin<qint64>(first + size - 1, INT_MAX));
    }
    return true;
}

QString RenderCommand::helpText()
{
    QCommandLineParser parser;
    describe(parser);
    return QStringLiteral("Usage: velmora-render --song S [--picture P] --output O [options]\n"
                          "       velmora-render --manifest FILE.csv --output-dir DIR [--jobs N] [options]\n\n")
        + parser.helpText().section(QLatin1Char('\n'), 1)
        + QStringLiteral("\nA manifest's columns: id, song (required), picture, caption, size, format, font, point_size,\n"
                         "color, placement, shadow_color, shadow_offset, background; an empty cell takes the\n"
                         "command line's value. Exit status: 0 every row done or skipped, 1 a row failed,\n"
                         "2 a usage error, 75 the disk is full or the tools are missing.\n");
}
