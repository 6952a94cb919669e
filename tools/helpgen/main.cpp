// Turns the help topics under help/ (Markdown with a front block) into the pages and the
// project file of a Qt help collection, checking them on the way:
//
//   helpgen HELP_DIR OUT_DIR
//
// writes OUT_DIR/purvex.qhp and the HTML pages and images it lists; qhelpgenerator then
// compiles purvex.qhp into purvex.qch. A topic answers the help context numbers in its
// front block; each becomes an index keyword with the id "context-N", by which the program
// finds the topic of a control. A broken link, a number answered twice or a topic without a
// title stops the build with a line naming the file; a screenshot not taken yet is named.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTextDocument>
#include <QXmlStreamWriter>

#include <cstdio>
#include <stdexcept>

namespace {

struct Page {
    QString path; // relative to the help folder, with .html
    QString title;
    QList<int> contexts;
    QStringList keywords;
    QString html;
};

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

QString htmlPath(const QString& markdownPath) {
    return markdownPath.left(markdownPath.size() - 3) + QStringLiteral(".html");
}

Page readPage(const QDir& helpDir, const QString& relative) {
    QFile file(helpDir.filePath(relative));
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("%1: cannot be read").arg(relative));
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression front(QStringLiteral("\\A---\\n(.*?)\\n---\\n"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = front.match(text);
    if (!match.hasMatch())
        fail(QStringLiteral("%1: no front block").arg(relative));

    Page page;
    page.path = htmlPath(relative);
    for (const QString& line : match.captured(1).split(u'\n')) {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            fail(QStringLiteral("%1: front block line without a colon: %2").arg(relative, line));
        const QString key = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("title")) {
            page.title = value;
        } else if (key == QLatin1String("contexts")) {
            for (const QString& number : value.split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                page.contexts << number.trimmed().toInt(&ok);
                if (!ok)
                    fail(
                        QStringLiteral("%1: \"%2\" is not a context number").arg(relative, number));
            }
        } else if (key == QLatin1String("keywords")) {
            // The index is for the words a user looks for; the program's own names for its
            // windows and controls mean nothing to them.
            static const QRegularExpression controlName(
                QStringLiteral("^((cmd|txt|cmb|dc|frm|mnu|chk|opt|lbl|fra|scrl)[A-Z0-9]|List\\d)"));
            for (const QString& keyword : value.split(u';', Qt::SkipEmptyParts)) {
                if (controlName.match(keyword.trimmed()).hasMatch())
                    fail(QStringLiteral("%1: \"%2\" is a control's name, not a word for the index")
                             .arg(relative, keyword.trimmed()));
                page.keywords << keyword.trimmed();
            }
        } else {
            fail(QStringLiteral("%1: unknown front block entry \"%2\"").arg(relative, key));
        }
    }
    if (page.title.isEmpty())
        fail(QStringLiteral("%1: no title").arg(relative));

    const QString body = text.mid(match.capturedLength());
    const QString folder = QFileInfo(relative).path();
    // Every link to another topic and every image must be there.
    static const QRegularExpression target(QStringLiteral("\\]\\(([^)#\\s]+)(#[^)]*)?\\)"));
    for (auto it = target.globalMatch(body); it.hasNext();) {
        const QString link = it.next().captured(1);
        if (link.contains(QLatin1String("://")) || link.startsWith(QLatin1String("mailto:")))
            continue;
        const QString resolved = QDir::cleanPath(folder + u'/' + link);
        if (QFileInfo::exists(helpDir.filePath(resolved)))
            continue;
        // Screenshots are taken from the built program, help window included, so the help
        // is built once without them; a test makes sure none is missing in the end.
        if (resolved.startsWith(QLatin1String("images/")))
            std::fprintf(stderr, "helpgen: %s: screenshot %s not taken yet\n", qPrintable(relative),
                         qPrintable(link));
        else
            fail(QStringLiteral("%1: the link to %2 leads nowhere").arg(relative, link));
    }

    QTextDocument document;
    document.setMarkdown(body, QTextDocument::MarkdownDialectGitHub);
    document.setMetaInformation(QTextDocument::DocumentTitle, page.title);
    QString html = document.toHtml();
    static const QRegularExpression markdownLink(
        QStringLiteral("href=\"([^\":]+)\\.md(#[^\"]*)?\""));
    html.replace(markdownLink, QStringLiteral("href=\"\\1.html\\2\""));
    page.html = html;
    return page;
}

// The pages in the order the contents page links them, then any it does not link.
QList<Page> inContentsOrder(const QMap<QString, Page>& pages, const QDir& helpDir) {
    QList<Page> ordered;
    QSet<QString> taken;
    const auto take = [&](const QString& path) {
        if (!taken.contains(path) && pages.contains(path)) {
            ordered << pages.value(path);
            taken.insert(path);
        }
    };
    take(QStringLiteral("index.html"));
    QFile index(helpDir.filePath(QStringLiteral("index.md")));
    if (index.open(QIODevice::ReadOnly)) {
        static const QRegularExpression link(QStringLiteral("\\]\\(([^)#]+)\\.md"));
        for (auto it = link.globalMatch(QString::fromUtf8(index.readAll())); it.hasNext();)
            take(it.next().captured(1) + QStringLiteral(".html"));
    }
    for (auto it = pages.cbegin(); it != pages.cend(); ++it)
        take(it.key());
    return ordered;
}

void writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        fail(QStringLiteral("%1: cannot be written").arg(path));
}

void run(const QString& helpPath, const QString& outPath) {
    const QDir helpDir(helpPath);
    const QDir outDir(outPath);
    QMap<QString, Page> pages;
    QMap<int, QString> contextOwner;
    QStringList files;
    for (QDirIterator it(helpPath, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString relative = helpDir.relativeFilePath(it.next());
        if (relative.endsWith(QLatin1String(".md"))) {
            if (relative == QLatin1String("README.md"))
                continue;
            const Page page = readPage(helpDir, relative);
            for (int number : page.contexts) {
                if (contextOwner.contains(number))
                    fail(QStringLiteral("%1: context %2 is answered by %3 already")
                             .arg(relative)
                             .arg(number)
                             .arg(contextOwner.value(number)));
                contextOwner.insert(number, page.path);
            }
            writeFile(outDir.filePath(page.path), page.html.toUtf8());
            files << page.path;
            pages.insert(page.path, page);
        } else if (relative.startsWith(QLatin1String("images/"))) {
            QFile::remove(outDir.filePath(relative));
            QDir().mkpath(QFileInfo(outDir.filePath(relative)).path());
            if (!QFile::copy(it.filePath(), outDir.filePath(relative)))
                fail(QStringLiteral("%1: cannot be copied").arg(relative));
            files << relative;
        }
    }
    if (!pages.contains(QStringLiteral("index.html")))
        fail(QStringLiteral("index.md: the contents page is missing"));

    QByteArray project;
    QXmlStreamWriter xml(&project);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("QtHelpProject"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeTextElement(QStringLiteral("namespace"), QStringLiteral("org.example.purvex"));
    xml.writeTextElement(QStringLiteral("virtualFolder"), QStringLiteral("help"));
    xml.writeStartElement(QStringLiteral("filterSection"));
    xml.writeStartElement(QStringLiteral("toc"));
    const QList<Page> ordered = inContentsOrder(pages, helpDir);
    xml.writeStartElement(QStringLiteral("section"));
    xml.writeAttribute(QStringLiteral("title"), QStringLiteral("Purvex Help"));
    xml.writeAttribute(QStringLiteral("ref"), QStringLiteral("index.html"));
    for (const Page& page : ordered) {
        if (page.path == QLatin1String("index.html"))
            continue;
        xml.writeEmptyElement(QStringLiteral("section"));
        xml.writeAttribute(QStringLiteral("title"), page.title);
        xml.writeAttribute(QStringLiteral("ref"), page.path);
    }
    xml.writeEndElement(); // section
    xml.writeEndElement(); // toc
    // One spelling for each entry of the index, whatever the case it is written in where: a
    // page's title first, so that "pack database" is listed as the title "Pack Database".
    QMap<QString, QString> spelling;
    for (const Page& page : ordered) {
        if (!spelling.contains(page.title.toLower()))
            spelling.insert(page.title.toLower(), page.title);
    }
    for (const Page& page : ordered) {
        for (const QString& keyword : page.keywords) {
            if (!spelling.contains(keyword.toLower()))
                spelling.insert(keyword.toLower(), keyword);
        }
    }
    xml.writeStartElement(QStringLiteral("keywords"));
    for (const Page& page : ordered) {
        QStringList names;
        for (const QString& name : QStringList{page.title} + page.keywords)
            names << spelling.value(name.toLower());
        names.removeDuplicates();
        for (const QString& name : names) {
            xml.writeEmptyElement(QStringLiteral("keyword"));
            xml.writeAttribute(QStringLiteral("name"), name);
            xml.writeAttribute(QStringLiteral("ref"), page.path);
        }
        for (int number : page.contexts) {
            xml.writeEmptyElement(QStringLiteral("keyword"));
            xml.writeAttribute(QStringLiteral("name"), page.title);
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("context-%1").arg(number));
            xml.writeAttribute(QStringLiteral("ref"), page.path);
        }
    }
    xml.writeEndElement(); // keywords
    xml.writeStartElement(QStringLiteral("files"));
    files.sort();
    for (const QString& file : files)
        xml.writeTextElement(QStringLiteral("file"), file);
    xml.writeEndElement(); // files
    xml.writeEndElement(); // filterSection
    xml.writeEndElement(); // QtHelpProject
    xml.writeEndDocument();
    writeFile(outDir.filePath(QStringLiteral("purvex.qhp")), project);
    std::printf("helpgen: %lld pages, %lld context numbers\n", static_cast<long long>(pages.size()),
                static_cast<long long>(contextOwner.size()));
}

} // namespace

int main(int argc, char** argv) {
    // Laying out Markdown measures text, which needs fonts but never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: helpgen HELP_DIR OUT_DIR\n");
        return 2;
    }
    try {
        run(args.at(1), args.at(2));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "helpgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
