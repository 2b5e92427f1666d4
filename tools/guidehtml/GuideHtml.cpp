// Makes the user guide's HTML page: runs cmark-gfm on docs/guide.md (with
// GitHub's tables and links), gives every heading the id its links use (the anchors a
// repository viewer makes: lower case, punctuation dropped, each blank a
// hyphen, a number added to a repeated one) and wraps the fragment into a
// page with a title and a small style sheet.
//
//   vardo-guidehtml CMARK-GFM GUIDE.md PAGE   writes PAGE
//   vardo-guidehtml --check PAGE     lists the links to "#..." that no id
//                                    answers; exit status 1 when there are any

#include <QFile>
#include <QProcess>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QTextStream>
#include <QUrl>

#include <cstdio>

namespace {

const char* const kStyle =
    "body { font-family: sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.5; }\n"
    "img { max-width: 100%; border: 1px solid #ccc; }\n"
    "table { border-collapse: collapse; margin: 1em 0; }\n"
    "th, td { border: 1px solid #bbb; padding: 0.2em 0.6em; text-align: left; vertical-align: top; }\n"
    "th { background: #f0f7e9; }\n"
    "code, pre { font-family: monospace; background: #f4f4f4; }\n"
    "pre { padding: 0.6em; overflow-x: auto; }\n";

QString plainText(QString html)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression entity(QStringLiteral("&[#0-9A-Za-z]+;"));
    html.remove(tag);
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    html.remove(entity);
    return html;
}

QString slugOf(const QString& headingHtml)
{
    static const QRegularExpression dropped(QStringLiteral("[^\\p{L}\\p{M}\\p{N}\\p{Pc} \\-]"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    QString slug = plainText(headingHtml).trimmed().toLower();
    slug.remove(dropped);
    slug.replace(QLatin1Char(' '), QLatin1Char('-'));
    return slug;
}

bool readFile(const QString& path, QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vardo-guidehtml: cannot read %s\n", qPrintable(path));
        return false;
    }
    text = QString::fromUtf8(file.readAll());
    return true;
}

bool render(const QString& cmark, const QString& guidePath, QString& fragment)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(cmark, {QStringLiteral("--unsafe"), QStringLiteral("-e"), QStringLiteral("table"), QStringLiteral("-e"),
                          QStringLiteral("autolink"), QStringLiteral("-e"), QStringLiteral("strikethrough"), guidePath});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "vardo-guidehtml: %s did not render %s\n", qPrintable(cmark), qPrintable(guidePath));
        return false;
    }
    fragment = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

int makePage(const QString& cmark, const QString& guidePath, const QString& pagePath)
{
    QString fragment;
    if (!render(cmark, guidePath, fragment))
        return 1;
    static const QRegularExpression heading(QStringLiteral("<h([1-6])>(.*?)</h\\1>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString body;
    QString title;
    QHash<QString, int> used;
    qsizetype at = 0;
    for (auto it = heading.globalMatch(fragment); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString id = slugOf(m.captured(2));
        const int seen = used.value(id);
        used[id] = seen + 1;
        if (seen > 0)
            id += QStringLiteral("-%1").arg(seen);
        if (title.isEmpty())
            title = plainText(m.captured(2)).trimmed();
        body += fragment.mid(at, m.capturedStart() - at);
        body += QStringLiteral("<h%1 id=\"%2\">%3</h%1>").arg(m.captured(1), id.toHtmlEscaped(), m.captured(2));
        at = m.capturedEnd();
    }
    body += fragment.mid(at);

    QFile out(pagePath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "vardo-guidehtml: cannot write %s\n", qPrintable(pagePath));
        return 1;
    }
    QTextStream s(&out);
    s << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" << title.toHtmlEscaped()
      << "</title>\n<style>\n" << kStyle << "</style>\n</head>\n<body>\n" << body << "</body>\n</html>\n";
    return s.status() == QTextStream::Ok && out.flush() ? 0 : 1;
}

int checkLinks(const QString& pagePath)
{
    QString page;
    if (!readFile(pagePath, page))
        return 1;
    static const QRegularExpression idAttribute(QStringLiteral("\\sid=\"([^\"]*)\""));
    static const QRegularExpression localLink(QStringLiteral("\\shref=\"#([^\"]*)\""));
    QSet<QString> ids;
    for (auto it = idAttribute.globalMatch(page); it.hasNext();)
        ids.insert(it.next().captured(1));
    int broken = 0;
    for (auto it = localLink.globalMatch(page); it.hasNext();) {
        // Browsers match a fragment as written or percent-decoded.
        const QString target = it.next().captured(1);
        if (!ids.contains(target) && !ids.contains(QUrl::fromPercentEncoding(target.toUtf8()))) {
            std::fprintf(stderr, "%s: no heading answers the link #%s\n", qPrintable(pagePath), qPrintable(target));
            ++broken;
        }
    }
    return broken == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--check")
        return checkLinks(QString::fromLocal8Bit(argv[2]));
    if (argc == 4)
        return makePage(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr, "usage: vardo-guidehtml CMARK-GFM GUIDE.md PAGE | --check PAGE\n");
    return 2;
}
