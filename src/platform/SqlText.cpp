#include "platform/SqlText.h"

namespace dao {

QString likeEscape(const QString& text)
{
    QString out;
    out.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString likeContains(const QString& text) { return QLatin1Char('%') + likeEscape(text) + QLatin1Char('%'); }
QString likeEndsWith(const QString& text) { return QLatin1Char('%') + likeEscape(text); }
QString likeStartsWith(const QString& text) { return likeEscape(text) + QLatin1Char('%'); }

QString likeFromWildcards(const QString& pattern)
{
    QString out;
    out.reserve(pattern.size() + 4);
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*'))
            out += QLatin1Char('%');
        else if (c == QLatin1Char('?'))
            out += QLatin1Char('_');
        else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + QString(c);
        else
            out += c;
    }
    return out;
}

QString quoteIdent(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

} // namespace dao
