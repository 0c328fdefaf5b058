#pragma once
// Dialog_Audit: the audit trail (audit_log.h) as a table, newest first, with
// a date bound and a text filter over every column. The file is read off the
// GUI thread; damaged lines are skipped and named once per reading in the
// dialog's info line. GUI thread only.

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <memory>

class QStandardItemModel;
class QSortFilterProxyModel;
struct AuditReadResult;

namespace Ui {
class Dialog_Audit;
}

class Dialog_Audit : public QDialog {
    Q_OBJECT

public:
    enum Column {
        ColTime,
        ColLevel,
        ColProgram,
        ColSerial,
        ColModel,
        ColAddress,
        ColLink,
        ColOperation,
        ColCommand,
        ColOutcome,
        ColImageCrc,
        ColReadback,
        ColDetail,
        ColumnCount
    };

    explicit Dialog_Audit(QWidget* parent = nullptr);
    ~Dialog_Audit() override;

    // The file to show; empty (the default) means the trail of this program,
    // looked up at each reading.
    void setFilePath(const QString& path);
    // Reads the file again; sig_loaded follows when the table holds it.
    void reload();

    // Rows that pass the filters, in display order, and the text of one cell.
    int visibleRows() const;
    QString cellText(int row, Column column) const;
    QString infoText() const;

public slots:
    void on_pb_refresh_clicked();
    void on_pb_close_clicked();
    void on_le_filter_textChanged(const QString& text);
    void on_cb_since_toggled(bool checked);
    void on_de_since_dateChanged(const QDate& date);

signals:
    // The table was filled from the file: records read, damaged lines skipped.
    void sig_loaded(int records, int damagedLines);

protected:
    void changeEvent(QEvent* event) override;

private:
    class Filter;
    void fillTable(const AuditReadResult& result);
    void applySince();
    void setHeaders();
    void updateInfo();

    Ui::Dialog_Audit* ui;
    QStandardItemModel* m_model = nullptr;
    Filter* m_filter = nullptr;
    QString m_path;
    quint64 m_generation = 0;
    int m_records = 0;
    int m_damagedLines = 0;  // of the last reading
    int m_firstDamaged = 0;
    QString m_readError;
};
