#include "dialog_login.h"

#include <QDebug>
#include <QEvent>
#include <QStringList>

#include "login_store.h"
#include "ui_dialog_login.h"

Dialog_Login::Dialog_Login(QWidget* parent) : QDialog(parent), ui(new Ui::Dialog_Login) {
    ui->setupUi(this);
    updateTexts();
}

Dialog_Login::~Dialog_Login() {
    delete ui;
}

void Dialog_Login::setStoredLogin(bool save, bool autoLogin, QString loginText, int level) {
    ui->cb_save->setChecked(save);
    ui->cb_auto->setChecked(autoLogin);
    const QStringList parts = loginText.split(QLatin1Char('&'));
    // Whatever the fields held from an earlier opening goes: an unusable
    // remembered login leaves them empty.
    ui->le_account->setText(save && parts.size() == 2 ? parts[0] : QString());
    ui->le_password->setText(save && parts.size() == 2 ? parts[1] : QString());
    m_failed = false;
    if (sanitize_right_level(level) > 0)
        setLoggedIn(sanitize_right_level(level));
    else
        setLoggedOut();
}

void Dialog_Login::on_pb_login_clicked() {
    if (m_level > 0) {
        setLoggedOut();
        emit sig_data(17, QByteArrayLiteral("0"));
        return;
    }
    const QString text = login_text(ui->le_account->text(), ui->le_password->text());
    const int level = login_level(text);
    if (level == kRightNone) {
        m_failed = true;
        m_info = Info::Mismatch;
        updateTexts();
        return;
    }
    m_failed = false;
    setLoggedIn(level);
    emit sig_data(17, QByteArray::number(level));
    const bool save = ui->cb_save->isChecked();
    if (!store_remembered_login(save, ui->cb_auto->isChecked(), text) && save) {
        // Logged in all the same; only the remembering failed (no identifier
        // of this computer readable, or the settings file not writable).
        // The dialog stays open so the operator reads why.
        qWarning("login: the login could not be remembered on this computer");
        m_info = Info::NotRemembered;
        updateTexts();
        return;
    }
    accept();
}

void Dialog_Login::on_cb_auto_clicked(bool checked) {
    if (checked) ui->cb_save->setChecked(true);
}

void Dialog_Login::on_cb_save_clicked(bool checked) {
    if (!checked) ui->cb_auto->setChecked(false);
}

void Dialog_Login::setLoggedIn(int level) {
    m_level = level;
    m_info = Info::Level;
    setInputsEnabled(false);
    updateTexts();
}

void Dialog_Login::setLoggedOut() {
    m_level = 0;
    m_info = Info::None;
    setInputsEnabled(true);
    updateTexts();
}

void Dialog_Login::setInputsEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(ui->le_account), static_cast<QWidget*>(ui->le_password),
                       static_cast<QWidget*>(ui->cb_save), static_cast<QWidget*>(ui->cb_auto)})
        w->setEnabled(enabled);
}

// Texts that depend on the state; set again after a language switch.
void Dialog_Login::updateTexts() {
    if (m_level > 0)
        ui->pb_login->setText(tr("login out"));
    else
        ui->pb_login->setText(m_failed ? tr("login failed") : tr("login in"));
    const QString levelText =
        m_level == kRightSuperAdmin ? tr("Super Administrator right login") : tr("Administrator right login");
    switch (m_info) {
        case Info::None:
            ui->lb_info->clear();
            break;
        case Info::Level:
            ui->lb_info->setText(levelText);
            break;
        case Info::Mismatch:
            ui->lb_info->setText(tr("Account or password mismatch"));
            break;
        case Info::NotRemembered:
            ui->lb_info->setText(levelText + QLatin1Char('\n') +
                                 tr("The login cannot be remembered on this computer."));
            break;
    }
}

void Dialog_Login::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        updateTexts();
    }
    QDialog::changeEvent(event);
}
