#include "ui/main/EditorMarks.h"

TMarkedFields MergeMarkedFields(const QList<TUpl> &slips)
{
    TMarkedFields merged;
    for (const TUpl &slip : slips) {
        if (!slip.Oznacena)
            continue;
        if (++merged.Count == 1) {
            merged.Common = slip;
            continue;
        }
        for (int f = 0; f < EditorFieldCount; ++f) {
            const auto field = TEditorField(f);
            bool same = true;
            if (field == efIznos)
                same = slip.Iznos == merged.Common.Iznos;
            else if (field == efHitno)
                same = slip.Hitno == merged.Common.Hitno;
            else
                same = *SlipText(slip, field) == *SlipText(merged.Common, field);
            if (!same)
                merged.Differs[f] = true;
        }
    }
    return merged;
}

QString DiffersText()
{
    return QStringLiteral("(različito)");
}

QString MarkedSlipsText(int count)
{
    // 1, 21, 31 …: "označenu uplatnicu"; 2-4, 22-24 …: "označene uplatnice";
    // the rest, 11-14 among them: "označenih uplatnica".
    const int lastTwo = count % 100;
    const int last = count % 10;
    QString words;
    if (last == 1 && lastTwo != 11)
        words = QStringLiteral("označenu uplatnicu");
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        words = QStringLiteral("označene uplatnice");
    else
        words = QStringLiteral("označenih uplatnica");
    return QStringLiteral("Uređujete %1 %2").arg(count).arg(words);
}
