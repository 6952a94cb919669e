#pragma once

// Reads printed output back with poppler's tools, which know nothing of how we wrote it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

namespace pdf {

inline QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        // An empty answer could pass for an empty page; the test fails instead.
        QTest::qFail(qPrintable(program + QStringLiteral(" failed: ") +
                                QString::fromLocal8Bit(process.readAllStandardError())),
                     __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page, laid out as on paper; pdftotext ends every page with a form feed.
inline QStringList pages(const QString& path) {
    QStringList result = run(QStringLiteral(PVX_PDFTOTEXT_TOOL),
                             {QStringLiteral("-layout"), path, QStringLiteral("-")})
                             .split(u'\f');
    result.removeLast();
    return result;
}

// The lines of a page that hold any text.
inline QStringList textLines(const QString& page) {
    QStringList lines;
    for (const QString& line : page.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
}

// "Page size:      612 x 792 pts (letter)" and the like.
inline QString info(const QString& path, const QString& field) {
    for (const QString& line : run(QStringLiteral("pdfinfo"), {path}).split(u'\n')) {
        if (line.startsWith(field + u':'))
            return line.mid(field.size() + 1).trimmed();
    }
    return {};
}

inline QString fonts(const QString& path) {
    return run(QStringLiteral("pdffonts"), {path});
}

} // namespace pdf
