#include "ui/main/UplPreview.h"

#include "core/UplFileIO.h"

#include <QFileInfo>

bool IsUplPreviewCandidate(const QString &path)
{
    if (!path.endsWith(QLatin1String(".upl"), Qt::CaseSensitive))
        return false;
    return QFileInfo(path).isFile();
}

TUplPreview LoadUplPreview(const QString &path)
{
    TUplPreview preview;
    if (!IsUplPreviewCandidate(path))
        return preview;
    const auto result = ReadUplFile(path);
    switch (result.Status) {
    case TUplReadResult::Ok:
        preview.Kind = TUplPreview::TKind::Shown;
        preview.Napomene = result.File->Napomene;
        for (const TUpl &slip : result.File->Uplatnice)
            preview.Opisi << slip.Opis;
        break;
    case TUplReadResult::BadFormat:
        preview.Kind = TUplPreview::TKind::Refused;
        preview.Message = result.Error;
        break;
    case TUplReadResult::IoError:
        preview.Kind = TUplPreview::TKind::Failed;
        preview.Message = result.Error;
        break;
    }
    return preview;
}
