#include "ui/common/ConfirmFormU.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <deque>

TConfirmForm *ConfirmForm = nullptr;

namespace {

std::deque<TConfirmResult> g_queue;
QString g_lastQuestion;

// The designed layout in pixels: the question above a row of three buttons.
constexpr int kMargin = 8;
constexpr int kLabelWidth = 249;
constexpr int kLabelHeight = 49;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 12;

// done() codes of the answers; Esc and the close box reject, which is Cancel.
constexpr int kYes = QDialog::Accepted;
constexpr int kNo = QDialog::Accepted + 1;

bool TakeQueued(TConfirmResult &answer)
{
    if (g_queue.empty())
        return false;
    answer = g_queue.front();
    g_queue.pop_front();
    return true;
}

} // namespace

TConfirmForm::TConfirmForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("ConfirmForm"));
    setWindowTitle(QStringLiteral("Potvrda"));
    setModal(true);

    Poruka = new QLabel(this);
    Poruka->setObjectName(QStringLiteral("Poruka"));
    // A question quoting a file name must show it as it is.
    Poruka->setTextFormat(Qt::PlainText);
    Poruka->setWordWrap(true);
    Poruka->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Button1 = new QPushButton(QStringLiteral("&Da"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Ne"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("&Odustani"), this);
    Button3->setObjectName(QStringLiteral("Button3"));

    connect(Button1, &QPushButton::clicked, this, [this] { done(kYes); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(kNo); });
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);

    Arrange();
    if (!ConfirmForm)
        ConfirmForm = this;
}

TConfirmForm::~TConfirmForm()
{
    if (ConfirmForm == this)
        ConfirmForm = nullptr;
}

void TConfirmForm::Arrange()
{
    // The label keeps its designed width and grows downwards as the question
    // needs lines. A word longer than the width (a file path) cannot wrap, so
    // there the label grows sideways, within the screen, rather than cut it.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int maxLabelWidth =
        screen ? std::max(kLabelWidth, screen->availableGeometry().width() - 8 * kMargin)
               : kLabelWidth;
    const QRect needed = Poruka->fontMetrics().boundingRect(QRect(0, 0, kLabelWidth, 1 << 20),
                                                            Qt::TextWordWrap, Poruka->text());
    const int labelWidth = std::clamp(needed.width(), kLabelWidth, maxLabelWidth);
    const int labelHeight = std::max(kLabelHeight, Poruka->heightForWidth(labelWidth));
    Poruka->setGeometry(kMargin, kMargin, labelWidth, labelHeight);

    int buttonWidth = kButtonWidth;
    for (const QPushButton *b : {Button1, Button2, Button3})
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
    const int buttonHeight = std::max(kButtonHeight, Button1->sizeHint().height());
    const int rowWidth = 3 * buttonWidth + 2 * kButtonGap;
    const int clientWidth = std::max(labelWidth, rowWidth) + 2 * kMargin;
    const int buttonTop = kMargin + labelHeight + kMargin;
    int x = (clientWidth - rowWidth) / 2;
    for (QPushButton *b : {Button1, Button2, Button3}) {
        b->setGeometry(x, buttonTop, buttonWidth, buttonHeight);
        x += buttonWidth + kButtonGap;
    }
    setFixedSize(clientWidth, buttonTop + buttonHeight + kMargin);
}

void TConfirmForm::CentreOnScreen()
{
    const QWidget *active = QApplication::activeWindow();
    const QScreen *screen = active && active != this ? active->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

TConfirmResult TConfirmForm::Ask(const QString &message)
{
    g_lastQuestion = message;
    Poruka->setText(message);
    TConfirmResult answer = TConfirmResult::Cancel;
    if (TakeQueued(answer))
        return answer;

    Arrange();
    CentreOnScreen();
    Button1->setFocus(Qt::OtherFocusReason);
    switch (exec()) {
    case kYes:
        return TConfirmResult::Yes;
    case kNo:
        return TConfirmResult::No;
    default:
        return TConfirmResult::Cancel;
    }
}

void TConfirmForm::QueueAnswer(TConfirmResult answer)
{
    g_queue.push_back(answer);
}

int TConfirmForm::QueuedAnswers()
{
    return static_cast<int>(g_queue.size());
}

void TConfirmForm::ClearQueuedAnswers()
{
    g_queue.clear();
}

QString TConfirmForm::LastQuestion()
{
    return g_lastQuestion;
}

TConfirmResult ConfirmAsk(const QString &message)
{
    if (ConfirmForm)
        return ConfirmForm->Ask(message);
    TConfirmResult answer = TConfirmResult::Cancel;
    if (TakeQueued(answer)) {
        g_lastQuestion = message;
        return answer;
    }
    TConfirmForm form(QApplication::activeWindow());
    return form.Ask(message);
}
