#include "ui/main/AccessKeys.h"

#include <QSet>

#include <algorithm>

QChar AccessKeyOf(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        const QChar next = caption.at(i + 1);
        if (next == u'&') {
            ++i; // a shown ampersand
            continue;
        }
        if (next.isSpace())
            return {};
        return next.toLower();
    }
    return {};
}

QList<TAccessKeyClash> AccessKeyClashes(const QStringList &captions)
{
    QList<TAccessKeyClash> all;
    for (const QString &caption : captions) {
        const QChar key = AccessKeyOf(caption);
        if (key.isNull())
            continue;
        auto it = std::find_if(all.begin(), all.end(),
                               [key](const TAccessKeyClash &c) { return c.Key == key; });
        if (it == all.end())
            all.append({key, {caption}});
        else
            it->Captions.append(caption);
    }
    QList<TAccessKeyClash> clashes;
    for (const TAccessKeyClash &c : std::as_const(all))
        if (c.Captions.size() > 1)
            clashes.append(c);
    return clashes;
}

QStringList CaptionsWithoutAccessKey(const QStringList &captions)
{
    QStringList missing;
    for (const QString &caption : captions)
        if (!caption.trimmed().isEmpty() && AccessKeyOf(caption).isNull())
            missing.append(caption);
    return missing;
}

QStringList WithAccessKeys(const QStringList &captions)
{
    QSet<QChar> taken;
    for (const QString &caption : captions)
        if (const QChar key = AccessKeyOf(caption); !key.isNull())
            taken.insert(key);
    QStringList keyed = captions;
    for (QString &caption : keyed) {
        if (caption.trimmed().isEmpty() || !AccessKeyOf(caption).isNull())
            continue;
        qsizetype chosen = -1;
        // Word starts first, then any letter or digit.
        for (const bool wordStart : {true, false}) {
            for (qsizetype i = 0; i < caption.size() && chosen < 0; ++i) {
                const QChar c = caption.at(i);
                if (!c.isLetterOrNumber() || (i > 0 && caption.at(i - 1) == u'&'))
                    continue;
                if (wordStart && i > 0 && caption.at(i - 1).isLetterOrNumber())
                    continue;
                if (!taken.contains(c.toLower()))
                    chosen = i;
            }
            if (chosen >= 0)
                break;
        }
        if (chosen < 0)
            continue;
        taken.insert(caption.at(chosen).toLower());
        caption.insert(chosen, u'&');
    }
    return keyed;
}

QString DescribeClashes(const QList<TAccessKeyClash> &clashes)
{
    QStringList lines;
    for (const TAccessKeyClash &c : clashes)
        lines.append(
            QStringLiteral("%1: %2").arg(c.Key.toUpper(), c.Captions.join(QStringLiteral(", "))));
    return lines.join(u'\n');
}
