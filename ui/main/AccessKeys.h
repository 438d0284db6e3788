#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

// Access keys ("&Datoteka": Alt+D) of the captions that share one window or
// one menu. Two captions with the same key leave the user guessing which one
// the key reaches, so none may share one.

// The access key of a caption, lower-cased: the character after a single
// '&' ("&&" is an ampersand shown as it is); a null QChar when it has none.
QChar AccessKeyOf(const QString &caption);

struct TAccessKeyClash
{
    QChar Key;
    QStringList Captions; // every caption that has Key, in the given order
};

// The keys used by more than one of captions, in the order of their first use.
QList<TAccessKeyClash> AccessKeyClashes(const QStringList &captions);

// The captions without an access key (empty ones are not counted).
QStringList CaptionsWithoutAccessKey(const QStringList &captions);

// captions with a key given to each one that has none: the first letter or
// digit of a word that no other caption uses, else any such character;
// captions that have a key keep it. Where every character is taken, the
// caption stays without one.
QStringList WithAccessKeys(const QStringList &captions);

// The same for the items of a menu (anything with actions()).
template <class TMenu> void GiveAccessKeys(TMenu *menu)
{
    const auto items = menu->actions();
    QStringList captions;
    for (const auto *a : items)
        captions << (a->isSeparator() ? QString() : a->text());
    const QStringList keyed = WithAccessKeys(captions);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (keyed.at(i) != captions.at(i))
            items.at(i)->setText(keyed.at(i));
}

// One line per clash: "Z: &Zatvori, I&zvoz u CSV...".
QString DescribeClashes(const QList<TAccessKeyClash> &clashes);
