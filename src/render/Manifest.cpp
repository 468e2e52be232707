#include "render/Manifest.h"

#include "render/RenderValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

namespace Manifest {

QString Problem::text(const QString &path) const
{
    QString where = QStringLiteral("%1:%2: ").arg(path).arg(line);
    if (!column.isEmpty())
        where += QStringLiteral("column \"%1\": ").arg(column);
    return where + message;
}

QStringList columns()
{
    return {QStringLiteral("id"), QStringLiteral("song"), QStringLiteral("picture"), QStringLiteral("caption"),
            QStringLiteral("size"), QStringLiteral("format"), QStringLiteral("font"), QStringLiteral("point_size"),
            QStringLiteral("color"), QStringLiteral("placement"), QStringLiteral("shadow_color"),
            QStringLiteral("shadow_offset"), QStringLiteral("background")};
}

bool parseCsv(const QByteArray &data, QList<Record> *records, Problem *problem)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError()) {
        *problem = {1, {}, QStringLiteral("the file is not UTF-8 text")};
        return false;
    }
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);

    records->clear();
    Record record;
    QString field;
    int line = 1;
    record.line = 1;
    bool quoted = false;       // inside a quoted field
    bool afterQuote = false;   // a quoted field has closed; only "," or a line end may follow
    bool fieldStarted = false;
    const auto endRecord = [&]() {
        record.fields << field;
        // A blank line between records is no record.
        if (!(record.fields.size() == 1 && record.fields[0].isEmpty() && !fieldStarted))
            records->append(record);
        record = Record();
        field.clear();
        fieldStarted = false;
        afterQuote = false;
    };
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            record.fields << field;
            field.clear();
            fieldStarted = true;
            afterQuote = false;
        } else if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
            continue;
        } else if (c == QLatin1Char('\n')) {
            endRecord();
            ++line;
            record.line = line;
        } else if (afterQuote) {
            *problem = {line, {}, QStringLiteral("a quoted field must end before a \",\" or the line's end")};
            return false;
        } else if (c == QLatin1Char('"')) {
            if (!field.isEmpty()) {
                *problem = {line, {}, QStringLiteral("a quote inside an unquoted field (write the field in quotes, "
                                                     "the quote as \"\")")};
                return false;
            }
            quoted = true;
            fieldStarted = true;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        *problem = {record.line, {}, QStringLiteral("a quoted field is not closed")};
        return false;
    }
    if (!field.isEmpty() || fieldStarted || !record.fields.isEmpty())
        endRecord();
    return true;
}

namespace {

QString absoluteIn(const QDir &folder, const QString &path)
{
    return QDir::cleanPath(folder.absoluteFilePath(path));
}

// Applies one non-empty cell to the row; false with *why for a bad value.
bool applyCell(const QString &column, const QString &value, const QDir &folder, RowSettings *row, QString *why)
{
    using namespace RenderValues;
    if (column == QLatin1String("id")) {
        if (!checkId(value, why))
            return false;
        row->id = value;
    } else if (column == QLatin1String("song")) {
        row->song = absoluteIn(folder, value);
    } else if (column == QLatin1String("picture")) {
        row->picture = absoluteIn(folder, value);
    } else if (column == QLatin1String("caption")) {
        row->caption = value;
    } else if (column == QLatin1String("size")) {
        return parseSize(value, &row->size, why);
    } else if (column == QLatin1String("format")) {
        return parseFormat(value, &row->format, why);
    } else if (column == QLatin1String("font")) {
        row->font = value;
    } else if (column == QLatin1String("point_size")) {
        return parsePointSize(value, &row->pointSize, why);
    } else if (column == QLatin1String("color")) {
        return parseColor(value, &row->color, why);
    } else if (column == QLatin1String("placement")) {
        return parsePlacement(value, &row->placement, why);
    } else if (column == QLatin1String("shadow_color")) {
        return parseShadow(value, &row->shadowOn, &row->shadowColor, why);
    } else if (column == QLatin1String("shadow_offset")) {
        return parseShadowOffset(value, &row->shadowOffset, why);
    } else if (column == QLatin1String("background")) {
        return parseColor(value, &row->background, why);
    }
    return true;
}

} // namespace

bool read(const QString &path, const RowSettings &defaults, QList<Row> *rows, Problem *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = {0, {}, QStringLiteral("the manifest can not be read: %1").arg(file.errorString())};
        return false;
    }
    QList<Record> records;
    if (!parseCsv(file.readAll(), &records, problem))
        return false;
    if (records.isEmpty()) {
        *problem = {1, {}, QStringLiteral("the manifest is empty: it needs a header row and rows under it")};
        return false;
    }

    const QStringList known = columns();
    const QStringList header = records.first().fields;
    QSet<QString> seen;
    for (const QString &name : header) {
        if (!known.contains(name)) {
            *problem = {1, name, QStringLiteral("no such column; the columns are %1").arg(known.join(QStringLiteral(", ")))};
            return false;
        }
        if (seen.contains(name)) {
            *problem = {1, name, QStringLiteral("the column is named twice")};
            return false;
        }
        seen.insert(name);
    }
    if (!seen.contains(QStringLiteral("song"))) {
        *problem = {1, QStringLiteral("song"), QStringLiteral("the manifest has no \"song\" column")};
        return false;
    }
    if (records.size() == 1) {
        *problem = {1, {}, QStringLiteral("the manifest has no rows under its header")};
        return false;
    }

    const QDir folder = QFileInfo(path).absoluteDir();
    QHash<QString, int> ids;
    rows->clear();
    for (int r = 1; r < records.size(); ++r) {
        const Record &record = records[r];
        if (record.fields.size() != header.size()) {
            *problem = {record.line, {}, QStringLiteral("the row has %1 fields, the header %2")
                                             .arg(record.fields.size())
                                             .arg(header.size())};
            return false;
        }
        Row row;
        row.number = r;
        row.line = record.line;
        row.settings = defaults;
        row.settings.id.clear();
        row.settings.song.clear();
        for (int c = 0; c < header.size(); ++c) {
            const QString &value = record.fields[c];
            if (value.isEmpty())
                continue;
            QString why;
            if (!applyCell(header[c], value, folder, &row.settings, &why)) {
                *problem = {record.line, header[c], why};
                return false;
            }
        }
        if (row.settings.song.isEmpty()) {
            *problem = {record.line, QStringLiteral("song"), QStringLiteral("the song is missing")};
            return false;
        }
        if (row.settings.id.isEmpty())
            row.settings.id = RenderValues::safeId(QFileInfo(row.settings.song).completeBaseName());
        if (const auto other = ids.constFind(row.settings.id); other != ids.constEnd()) {
            *problem = {record.line, QStringLiteral("id"),
                        QStringLiteral("the id \"%1\" is already the id of line %2").arg(row.settings.id).arg(*other)};
            return false;
        }
        ids.insert(row.settings.id, record.line);
        rows->append(row);
    }
    return true;
}

QList<Row> slice(const QList<Row> &rows, int first, int last)
{
    QList<Row> taken;
    for (const Row &row : rows) {
        if (row.number >= first && row.number <= last)
            taken << row;
    }
    return taken;
}

} // namespace Manifest
