#include "dialog_waitsignal2.h"

#include "ui_dialog_waitsignal2.h"

Dialog_WaitSignal2::Dialog_WaitSignal2(QWidget* parent) : QWidget(parent), ui(new Ui::Dialog_WaitSignal2) {
    ui->setupUi(this);
}

Dialog_WaitSignal2::~Dialog_WaitSignal2() {
    delete ui;
}

void Dialog_WaitSignal2::setProgressValue(int rate) {
    ui->progressBar->setValue(rate);
    // Callers update from slots that may run back to back; paint now rather
    // than wait for the event loop.
    repaint();
}

void Dialog_WaitSignal2::setProgressTexts(QString title, QString info) {
    ui->lb_action->setText(title);
    ui->lb_info->setText(info);
}
