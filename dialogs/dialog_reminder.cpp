#include "dialog_reminder.h"

#include <QtGlobal>

#include "ui_dialog_reminder.h"

Dialog_Reminder::Dialog_Reminder(QWidget* parent) : QWidget(parent), ui(new Ui::Dialog_Reminder) {
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_timer, &QTimer::timeout, this, &Dialog_Reminder::onTimeupDestroy);
}

Dialog_Reminder::~Dialog_Reminder() {
    delete ui;
}

void Dialog_Reminder::addRefusedCommand(int mode, QString cmd, int seconds) {
    m_pending = true;
    const QString line = QStringLiteral("mode:0x%1 cmd:%2 NG!").arg(mode, 4, 16, QLatin1Char('0')).arg(cmd);
    if (m_text.isEmpty())
        m_text = tr("Error command printing") + QStringLiteral(" \r\n\t") + line;
    else
        m_text += QStringLiteral("\r\n\t") + line;

    // A negative interval would make QTimer refuse to start and the note would
    // never hide.
    m_displaySeconds = qMax(0, seconds);
    ui->label->setText(m_text);
    m_timer.start(m_displaySeconds * 1000);
    show();
}

void Dialog_Reminder::onTimeupDestroy() {
    if (!m_pending) {
        m_timer.stop();
        hide();
        return;
    }
    // A line arrived during this period: stay up for one more.
    ui->label->setText(m_text);
    m_timer.setInterval(m_displaySeconds * 1000);
    m_pending = false;
}
