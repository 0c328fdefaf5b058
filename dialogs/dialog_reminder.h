#pragma once
// A frameless note listing the commands the scanner did not answer. Each new
// line restarts its timer; it hides itself two display periods after the last
// line. GUI thread only.

#include <QString>
#include <QTimer>
#include <QWidget>

namespace Ui {
class Dialog_Reminder;
}

class Dialog_Reminder : public QWidget {
    Q_OBJECT

public:
    explicit Dialog_Reminder(QWidget* parent = nullptr);
    ~Dialog_Reminder() override;

    // Appends "mode:0x<mode, 4 hex digits> cmd:<cmd> NG!" to the note, shows it
    // and keeps it up for `seconds` (display period, whole seconds, >= 0).
    void addRefusedCommand(int mode, QString cmd, int seconds);

    // Everything the note has listed since it was created.
    QString text() const { return m_text; }
    int displaySeconds() const { return m_displaySeconds; }

public slots:
    void onTimeupDestroy();

private:
    Ui::Dialog_Reminder* ui;
    QString m_text;
    QTimer m_timer;
    int m_displaySeconds = 2;
    bool m_pending = false;
};
