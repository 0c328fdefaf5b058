#pragma once
// Application-modal, frameless busy indicator shown while a long operation
// (connecting, a zone transfer) runs. The animation plays from construction;
// the close button only hides the dialog. GUI thread only.

#include <QDialog>

class QMovie;

namespace Ui {
class Dialog_WaitSignal;
}

class Dialog_WaitSignal : public QDialog {
    Q_OBJECT

public:
    explicit Dialog_WaitSignal(QWidget* parent = nullptr);
    ~Dialog_WaitSignal() override;

    // The animation shown in the label; owned by the dialog.
    QMovie* movie() const { return m_movie; }

private slots:
    void on_pb_close_clicked();

private:
    Ui::Dialog_WaitSignal* ui;
    QMovie* m_movie = nullptr;
};
