#include "ui/help/HelpFormU.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
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

// F1 reaching a control as a key press: no shortcut took it, as in a modal
// dialog.
class THelpKey : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget)
            return false;
        THelpForm::ShowHelp(HelpContextOf(widget), widget->window());
        return true;
    }
};

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

void THelpForm::keyPressEvent(QKeyEvent *event)
{
    // Esc closes it, as it closes every other window of the program.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
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
    // A window outside the modal dialog that is open would take no input
    // (no scrolling, no links): the help then belongs to that dialog.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = parent;
    if (!g_help) {
        g_help = new THelpForm(owner);
    } else if (owner && owner != g_help && !owner->isAncestorOf(g_help) &&
               QApplication::activeModalWidget() == owner) {
        const QRect geometry = g_help->geometry();
        const bool shown = g_help->isVisible();
        g_help->setParent(owner, g_help->windowFlags());
        if (shown)
            g_help->setGeometry(geometry);
    }
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

void InstallHelpKey()
{
    static QPointer<THelpKey> filter;
    if (!filter && qApp) {
        filter = new THelpKey(qApp);
        qApp->installEventFilter(filter);
    }
}
