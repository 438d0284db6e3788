#include "ui/help/HelpFormU.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QPointer<THelpForm> g_help;

QString ResourceOf(int context)
{
    return QStringLiteral(":/help/ctx%1.html").arg(context);
}

} // namespace

THelpForm::THelpForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Kordavina - Pomoć"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *contents = new QPushButton(QStringLiteral("&Sadržaj"), this);
    contents->setObjectName(QStringLiteral("btnSadrzaj"));
    layout->addWidget(contents, 0, Qt::AlignLeft);
    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setOpenLinks(true);
    Browser->setAccessibleName(QStringLiteral("Pomoć"));
    layout->addWidget(Browser);
    connect(contents, &QPushButton::clicked, this,
            [this] { Browser->setSource(QUrl(QStringLiteral("qrc:/help/index.html"))); });
    resize(520, 460);
}

QString THelpForm::TopicUrl(int context)
{
    if (context > 0 && QFile::exists(ResourceOf(context)))
        return QStringLiteral("qrc:/help/ctx%1.html").arg(context);
    return QStringLiteral("qrc:/help/index.html");
}

void THelpForm::ShowContext(int context)
{
    Browser->setSource(QUrl(TopicUrl(context)));
}

THelpForm *THelpForm::ShowHelp(int context, QWidget *parent)
{
    if (!g_help)
        g_help = new THelpForm(parent);
    g_help->ShowContext(context);
    g_help->show();
    g_help->raise();
    g_help->activateWindow();
    return g_help;
}

int HelpContextOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        bool ok = false;
        const int context = w->property("helpContext").toInt(&ok);
        if (ok && context > 0)
            return context;
    }
    return 0;
}
