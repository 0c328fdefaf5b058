#include "dialog_report.h"

#include "ui_dialog_report.h"

namespace {

Dialog_Report::AnswerHook& answerHook() {
    static Dialog_Report::AnswerHook hook;
    return hook;
}

}  // namespace

Dialog_Report::Dialog_Report(QWidget* parent) : QDialog(parent), ui(new Ui::Dialog_Report) {
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

Dialog_Report::~Dialog_Report() {
    delete ui;
}

void Dialog_Report::setValues(const QString& engineer, const QString& site) {
    ui->le_engineer->setText(engineer);
    ui->le_site->setText(site);
}

QString Dialog_Report::engineer() const {
    return ui->le_engineer->text().trimmed();
}

QString Dialog_Report::site() const {
    return ui->le_site->text().trimmed();
}

void Dialog_Report::setAnswerHook(AnswerHook hook) {
    answerHook() = std::move(hook);
}

bool Dialog_Report::ask(QWidget* parent, QString* engineer, QString* site) {
    if (answerHook()) return answerHook()(engineer, site);
    Dialog_Report dialog(parent);
    dialog.setValues(*engineer, *site);
    if (dialog.exec() != QDialog::Accepted) return false;
    *engineer = dialog.engineer();
    *site = dialog.site();
    return true;
}
