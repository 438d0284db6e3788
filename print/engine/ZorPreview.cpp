#include "print/engine/ZorPreview.h"

// Placeholder until the preview window lands: shows an empty modal window.
TZorPreview::TZorPreview(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ZorPrinter"));
}

void TZorPreview::RunPreview()
{
    PageNo = 1;
    exec();
}
