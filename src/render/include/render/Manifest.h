#pragma once

#include "render/RowSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A manifest: CSV (RFC 4180, UTF-8) with a header row naming its columns, one video a row.
namespace Manifest {

// One record of the file and the line it begins on (1: the header).
struct Record
{
    int line = 0;
    QStringList fields;
};

// What makes a manifest unusable, found before any work starts.
struct Problem
{
    int line = 0;
    QString column;  // empty when the fault is not one column's
    QString message;

    // "FILE:LINE: column "C": MESSAGE".
    QString text(const QString &path) const;
};

// One row of work: its number (1: the first row under the header), the line it begins on and
// its settings, cells filled in from the defaults.
struct Row
{
    int number = 0;
    int line = 0;
    RowSettings settings;
};

// The columns a manifest may have; "song" is the one it must have.
QStringList columns();

// Splits CSV into records: fields separated by ",", records by CRLF or LF, a field in double
// quotes may hold both and "" for one quote. False with *problem set for a quote out of place or
// an unclosed one, or bytes that are not UTF-8.
bool parseCsv(const QByteArray &data, QList<Record> *records, Problem *problem);

// Reads a manifest: every cell checked, paths taken relative to the manifest's folder, ids given
// or made from the song's base name and unique. False with *problem set at the first fault.
bool read(const QString &path, const RowSettings &defaults, QList<Row> *rows, Problem *problem);

// The rows numbered first..last (1-based, inclusive) that exist.
QList<Row> slice(const QList<Row> &rows, int first, int last);

} // namespace Manifest
