#include "ui/main/MainFormU.h"

#include "ui/help/HelpFormU.h"
#include "ui/common/Placement.h"
#include "ui/main/ProgramIcon.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

void TMainForm::ToolButton12Click()
{
    // Where there is no notification area the window is minimised instead,
    // so that it cannot be lost.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showMinimized();
        return;
    }
    if (!FTray) {
        FTray = new QSystemTrayIcon(ProgramIcon(), this);
        FTray->setObjectName(QStringLiteral("TrayIcon"));
        FTray->setToolTip(QStringLiteral("Prikaži"));
        connect(FTray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::DoubleClick)
                        RestoreFromTray();
                });
    }
    FTray->show();
    hide();
    InTray = true;
}

void TMainForm::RestoreFromTray()
{
    show();
    raise();
    activateWindow();
    if (FTray)
        FTray->hide();
    InTray = false;
}

void TMainForm::mnuHelpHelpClick()
{
    THelpForm::ShowHelp(
        HelpContextOf(QApplication::focusWidget() ? QApplication::focusWidget() : this), this);
}

void TMainForm::mnuHelpAboutClick()
{
    QDialog about(this);
    about.setObjectName(QStringLiteral("AboutForm"));
    about.setWindowTitle(QStringLiteral("O programu"));
    about.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto *layout = new QVBoxLayout(&about);
    auto *panel = new QFrame(&about);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *row = new QHBoxLayout(panel);
    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    auto *product = new QLabel(QStringLiteral("Kordavina"), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    product->setFont(big);
    auto *version = new QLabel(QStringLiteral("Verzija 3.3.2"), panel);
    version->setObjectName(QStringLiteral("Version"));
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addStretch();
    row->addLayout(texts, 1);
    layout->addWidget(panel);
    auto *close = new QPushButton(QStringLiteral("Zatvori"), &about);
    close->setObjectName(QStringLiteral("btnZatvori"));
    close->setDefault(true);
    close->setAutoDefault(true);
    connect(close, &QPushButton::clicked, &about, &QDialog::reject);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    about.setFixedSize(300, 150);
    RestorePlacement(&about, QStringLiteral("AboutForm"), false);
    about.exec();
    SavePlacement(&about, QStringLiteral("AboutForm"), false);
}
