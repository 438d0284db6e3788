#pragma once

#include <QWidget>

class QTextBrowser;

// The help window: Bosnian topics shipped as resources, one page per context
// number (qrc:/help/ctx<N>.html) and the contents page (qrc:/help/index.html).
class THelpForm : public QWidget
{
    Q_OBJECT
public:
    explicit THelpForm(QWidget *parent = nullptr);

    // Shows the topic of the context number, or the contents when there is none.
    void ShowContext(int context);
    // The one help window of the run, opened at context.
    static THelpForm *ShowHelp(int context, QWidget *parent = nullptr);
    // The page of a context number; the contents page when it is missing.
    static QString TopicUrl(int context);

    QTextBrowser *Browser = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// The help context of a widget: its own "helpContext" property, or its
// nearest parent's; 0 when none carries one.
int HelpContextOf(const QWidget *widget);

// F1 anywhere in the program, also inside a modal dialog (where the main
// window's shortcut does not reach), opens the help at the context of the
// control that has the focus. Called once at start.
void InstallHelpKey();
