#pragma once
// The table of target-resolution presets: named maximum zone distances in
// millimetres ("Hand Detection" 4000, ...). The point-cloud page opens it
// from its resolution menu ("custom") and takes the edited table back from
// sig_map, whether the dialog is confirmed or closed. GUI thread only.

#include <QDialog>
#include <QModelIndex>
#include <QStringList>

class QStandardItemModel;

namespace Ui {
class Dialog_ResolutionView;
}

class Dialog_ResolutionView : public QDialog {
    Q_OBJECT

public:
    explicit Dialog_ResolutionView(QWidget* parent = nullptr);
    ~Dialog_ResolutionView() override;

    // Fills the table with the pairs (names[i], values[i]); pairs named
    // "custom" or "reset" (the menu's own entries) are left out.
    void setMap(const QStringList& names, const QStringList& values);
    // The table, row by row, without rows named "custom" or "reset".
    void map(QStringList* names, QStringList* values) const;
    int rowCount() const;

public slots:
    void on_pb_add_clicked();
    void on_pb_del_clicked();
    void on_pb_sure_clicked();
    void on_tableView_clicked(QModelIndex index);
    // Closing by any other way publishes the table too.
    void reject() override;

signals:
    void sig_map(QStringList names, QStringList values);

private:
    void publish();
    bool isMenuEntry(const QString& name) const;

    Ui::Dialog_ResolutionView* ui;
    QStandardItemModel* m_model = nullptr;
    int m_selectedRow = -1;
};
