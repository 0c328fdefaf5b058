#include "dialog_resolutionview.h"

#include <QHeaderView>
#include <QIntValidator>
#include <QMessageBox>
#include <QStandardItemModel>
#include <algorithm>

#include "ui_dialog_resolutionview.h"

Dialog_ResolutionView::Dialog_ResolutionView(QWidget* parent)
    : QDialog(parent), ui(new Ui::Dialog_ResolutionView) {
    ui->setupUi(this);
    m_model = new QStandardItemModel(0, 2, this);
    m_model->setHorizontalHeaderLabels({tr("name"), tr("value")});
    ui->tableView->setModel(m_model);
    ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->tableView->horizontalHeader()->setStyleSheet(QStringLiteral(
        "QHeaderView::section {background-color: rgb(209, 208, 224);color: rgb(27, 20, 100);}"));
    ui->tableView->verticalHeader()->hide();
    ui->le_distance->setValidator(new QIntValidator(ui->le_distance));
}

Dialog_ResolutionView::~Dialog_ResolutionView() {
    delete ui;
}

bool Dialog_ResolutionView::isMenuEntry(const QString& name) const {
    return name == tr("custom") || name == tr("reset");
}

void Dialog_ResolutionView::setMap(const QStringList& names, const QStringList& values) {
    m_model->removeRows(0, m_model->rowCount());
    m_selectedRow = -1;
    const int n = std::min(names.size(), values.size());
    for (int i = 0; i < n; ++i) {
        if (isMenuEntry(names[i])) continue;
        m_model->appendRow({new QStandardItem(names[i]), new QStandardItem(values[i])});
    }
}

void Dialog_ResolutionView::map(QStringList* names, QStringList* values) const {
    names->clear();
    values->clear();
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const QString name = m_model->item(r, 0)->text();
        if (isMenuEntry(name)) continue;
        *names << name;
        *values << m_model->item(r, 1)->text();
    }
}

int Dialog_ResolutionView::rowCount() const {
    return m_model->rowCount();
}

void Dialog_ResolutionView::on_pb_add_clicked() {
    bool ok = false;
    const int distance = ui->le_distance->text().toInt(&ok);
    if (!ok) {
        QMessageBox::warning(this, tr("error"), tr("The distance set is not an integer!"), QMessageBox::Ok);
        return;
    }
    m_model->appendRow(
        {new QStandardItem(ui->le_name->text()), new QStandardItem(QString::number(distance))});
}

void Dialog_ResolutionView::on_pb_del_clicked() {
    if (m_selectedRow < 0 || m_selectedRow >= m_model->rowCount()) return;
    m_model->removeRow(m_selectedRow);
    m_selectedRow = -1;
}

void Dialog_ResolutionView::on_tableView_clicked(QModelIndex index) {
    m_selectedRow = index.isValid() ? index.row() : -1;
}

void Dialog_ResolutionView::publish() {
    QStringList names, values;
    map(&names, &values);
    emit sig_map(names, values);
}

void Dialog_ResolutionView::on_pb_sure_clicked() {
    publish();
    hide();
}

void Dialog_ResolutionView::reject() {
    publish();
    QDialog::reject();
}
