#include "core/Upl.h"

TUpl NewSlip() { return TUpl{}; }

TUpl CopySlip(const TUpl &slip) { return slip; }

void TUplFile::AddSlip(const TUpl &slip) { Uplatnice.append(slip); }

void TUplFile::InsertSlip(qsizetype index, const TUpl &slip)
{
    Q_ASSERT(index >= 0 && index <= Uplatnice.size());
    Uplatnice.insert(index, slip);
}

void TUplFile::DeleteSlip(qsizetype index)
{
    Q_ASSERT(index >= 0 && index < Uplatnice.size());
    Uplatnice.removeAt(index);
}

qsizetype TUplFile::CurrentSlipIndex() const
{
    for (qsizetype i = 0; i < Uplatnice.size(); ++i)
        if (Uplatnice[i].Oznacena)
            return i;
    return Uplatnice.isEmpty() ? -1 : 0;
}
