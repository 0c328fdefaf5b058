#include "dialog_audit.h"

#include <QDebug>
#include <QEvent>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QThread>

#include "audit_log.h"
#include "ui_dialog_audit.h"

// Text filter of the base class over all columns, plus a lower time bound.
class Dialog_Audit::Filter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setSince(const QDateTime& since) {
        m_since = since;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (m_since.isValid()) {
            const QDateTime time = sourceModel()->index(row, ColTime, parent).data(Qt::UserRole).toDateTime();
            if (time < m_since) return false;
        }
        return QSortFilterProxyModel::filterAcceptsRow(row, parent);
    }

    // By the full time, and records of the same millisecond in the order of the file.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        if (left.column() != ColTime) return QSortFilterProxyModel::lessThan(left, right);
        const QDateTime a = left.data(Qt::UserRole).toDateTime();
        const QDateTime b = right.data(Qt::UserRole).toDateTime();
        return a != b ? a < b : left.row() < right.row();
    }

private:
    QDateTime m_since;
};

Dialog_Audit::Dialog_Audit(QWidget* parent) : QDialog(parent), ui(new Ui::Dialog_Audit) {
    ui->setupUi(this);
    m_model = new QStandardItemModel(0, ColumnCount, this);
    m_filter = new Filter(this);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    ui->tv_audit->setModel(m_filter);
    ui->tv_audit->sortByColumn(ColTime, Qt::DescendingOrder);
    ui->tv_audit->horizontalHeader()->setStretchLastSection(true);
    ui->tv_audit->verticalHeader()->hide();
    ui->de_since->setDate(QDate::currentDate().addDays(-30));
    setHeaders();
    updateInfo();
}

Dialog_Audit::~Dialog_Audit() {
    delete ui;
}

void Dialog_Audit::setFilePath(const QString& path) {
    m_path = path;
}

void Dialog_Audit::reload() {
    const QString path = m_path.isEmpty() ? audit_file_path() : m_path;
    const quint64 generation = ++m_generation;
    auto result = std::make_shared<AuditReadResult>();
    // A long trail is not read on the GUI thread.
    QThread* reader = QThread::create([path, result] { *result = read_audit_log(path); });
    connect(reader, &QThread::finished, this, [this, generation, result] {
        if (generation == m_generation) fillTable(*result);  // a newer reading supersedes this one
    });
    connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    reader->start();
}

void Dialog_Audit::fillTable(const AuditReadResult& result) {
    m_model->removeRows(0, m_model->rowCount());
    m_readError = result.opened ? QString() : result.error;
    m_damagedLines = int(result.damagedLines.size());
    m_firstDamaged = m_damagedLines ? result.damagedLines.front() : 0;
    if (m_damagedLines) qWarning().noquote() << "audit trail:" << audit_damage_summary(result);
    for (const AuditRecord& r : result.records) {
        QList<QStandardItem*> row;
        for (int c = 0; c < ColumnCount; ++c) row << new QStandardItem();
        row[ColTime]->setText(r.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        row[ColTime]->setData(r.time, Qt::UserRole);
        row[ColLevel]->setText(QString::number(r.level));
        row[ColProgram]->setText(r.program);
        row[ColSerial]->setText(r.serial);
        row[ColModel]->setText(r.model);
        row[ColAddress]->setText(r.address);
        row[ColLink]->setText(r.link);
        row[ColOperation]->setText(r.operation);
        row[ColCommand]->setText(r.command);
        row[ColOutcome]->setText(r.outcome);
        row[ColImageCrc]->setText(r.imageCrc ? audit_crc_text(*r.imageCrc) : QString());
        row[ColReadback]->setText(audit_readback_text(r.readbackMatched));
        row[ColDetail]->setText(r.detail);
        m_model->appendRow(row);
    }
    m_records = int(result.records.size());
    ui->tv_audit->resizeColumnsToContents();
    updateInfo();
    emit sig_loaded(m_records, int(result.damagedLines.size()));
}

int Dialog_Audit::visibleRows() const {
    return m_filter->rowCount();
}

QString Dialog_Audit::cellText(int row, Column column) const {
    return m_filter->index(row, column).data().toString();
}

QString Dialog_Audit::infoText() const {
    return ui->lb_info->text();
}

void Dialog_Audit::on_pb_refresh_clicked() {
    reload();
}

void Dialog_Audit::on_pb_close_clicked() {
    accept();
}

void Dialog_Audit::on_le_filter_textChanged(const QString& text) {
    m_filter->setFilterFixedString(text);
    updateInfo();
}

void Dialog_Audit::on_cb_since_toggled(bool checked) {
    ui->de_since->setEnabled(checked);
    applySince();
}

void Dialog_Audit::on_de_since_dateChanged(const QDate&) {
    applySince();
}

void Dialog_Audit::applySince() {
    // From local midnight of the chosen day.
    m_filter->setSince(ui->cb_since->isChecked() ? ui->de_since->date().startOfDay() : QDateTime());
    updateInfo();
}

void Dialog_Audit::setHeaders() {
    const QStringList headers{tr("Time"),    tr("Level"),   tr("Program"),   tr("Serial number"),
                              tr("Model"),   tr("Address"), tr("Link"),      tr("Operation"),
                              tr("Command"), tr("Outcome"), tr("Image CRC"), tr("Read-back"),
                              tr("Detail")};
    m_model->setHorizontalHeaderLabels(headers);
}

void Dialog_Audit::updateInfo() {
    QString text;
    if (!m_readError.isEmpty()) {
        text = tr("The audit trail cannot be read: %1").arg(m_readError);
    } else {
        text = tr("%1 of %n record(s) shown.", "", m_records).arg(m_filter->rowCount());
        if (m_damagedLines)
            text +=
                QLatin1Char(' ') + tr("%n damaged line(s) skipped, the first is line %1.", "", m_damagedLines)
                                       .arg(m_firstDamaged);
    }
    ui->lb_info->setText(text);
}

void Dialog_Audit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        setHeaders();
        updateInfo();
    }
    QDialog::changeEvent(event);
}
