#pragma once
// Home page: a short introduction, two quick functions and the history of
// connections made from the device list, from which a double-click asks for
// the same connection again. Holds no connection state; GUI thread only.
//
// Used by the main window (the page's "Class" property is "Page_Main"):
//   signals  sig_start(type, ip_com, port_baud, remote_port) -> MainPage::recv_start,
//                which hands it on to Page_Dev::connectByAddress
//            sig_skipFunc(int type)  (0 "save log", 1 "open dev") -> MainPage::recv_skipFunc
//            sig_wait(int state)     (1: show the wait dialog) -> MainPage::recv_wait
//            sig_showAudit()         (pb_audit) -> MainPage::recv_showAudit
//   slots    on_listWidget_history_itemDoubleClicked, on_listWidget_Navigation_itemDoubleClicked

#include <QString>
#include <QWidget>

class QListWidgetItem;

namespace Ui {
class Page_Main;
}

class Page_Main : public QWidget {
    Q_OBJECT

public:
    // Remembered connections listed (settings section "History").
    static constexpr int kMaxHistory = 10;

    explicit Page_Main(QWidget* parent = nullptr);
    ~Page_Main() override;

    // Reads the history from the settings file into the list again.
    void loadHistory();

public slots:
    void on_listWidget_history_itemDoubleClicked(QListWidgetItem* item);
    void on_listWidget_Navigation_itemDoubleClicked(QListWidgetItem* item);
    void on_pb_audit_clicked();

signals:
    void sig_start(QString type, QString ip_com, int port_baud, int remote_port);
    void sig_skipFunc(int type);
    void sig_wait(int state);
    // The operator asked for the audit trail.
    void sig_showAudit();

protected:
    void changeEvent(QEvent* event) override;

private:
    void setTexts();
    Ui::Page_Main* ui;
};
