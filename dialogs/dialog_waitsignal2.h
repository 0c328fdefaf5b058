#pragma once
// Progress window for operations that report a percentage (zone transfer,
// firmware upgrade): a bar and two text lines. GUI thread only.

#include <QByteArray>
#include <QString>
#include <QWidget>

namespace Ui {
class Dialog_WaitSignal2;
}

class Dialog_WaitSignal2 : public QWidget {
    Q_OBJECT

public:
    explicit Dialog_WaitSignal2(QWidget* parent = nullptr);
    ~Dialog_WaitSignal2() override;

    // rate in percent, 0..100.
    void setProgressValue(int rate);
    void setProgressTexts(QString title, QString info);

signals:
    void sig_data(int type, QByteArray data);

private:
    Ui::Dialog_WaitSignal2* ui;
};
